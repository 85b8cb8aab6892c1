// The settings store and the load and save of the program-wide settings,
// each case over a store in a temporary XDG_CONFIG_HOME.

#include "settings/programsettings.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <memory>
#include <vector>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString ProgramDir = QStringLiteral("/opt/pellarin/bin");

ino_t inodeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The lines of one [section] of an INI text, in file order.
QStringList sectionLines(const QByteArray &ini, const QString &section)
{
    QStringList out;
    bool inside = false;
    for (const QString &line : QString::fromUtf8(ini).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            inside = line == QLatin1Char('[') + section + QLatin1Char(']');
        else if (inside && !line.isEmpty())
            out << line;
    }
    return out;
}

// Counts the events on one file name in a folder, as the kernel reports them.
class DirWatch
{
public:
    explicit DirWatch(const QString &dir)
        : m_fd(inotify_init1(IN_NONBLOCK))
    {
        inotify_add_watch(m_fd, QFile::encodeName(dir).constData(), IN_MODIFY | IN_CREATE | IN_MOVED_TO);
    }
    ~DirWatch() { ::close(m_fd); }

    // Events on name since the last call: {modified in place, created in place, renamed onto}.
    std::array<int, 3> take(const QByteArray &name)
    {
        std::array<int, 3> n{0, 0, 0};
        alignas(inotify_event) char buf[8192];
        ssize_t len;
        while ((len = ::read(m_fd, buf, sizeof buf)) > 0) {
            for (char *p = buf; p < buf + len;) {
                const auto *e = reinterpret_cast<const inotify_event *>(p);
                if (e->len && name == e->name) {
                    n[0] += (e->mask & IN_MODIFY) != 0;
                    n[1] += (e->mask & IN_CREATE) != 0;
                    n[2] += (e->mask & IN_MOVED_TO) != 0;
                }
                p += sizeof(inotify_event) + e->len;
            }
        }
        return n;
    }

private:
    int m_fd;
};

// A literal with embedded NUL bytes.
template <std::size_t N>
QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

struct Loaded {
    ProgramSettings s;
    StoredPosition pos;
};

Loaded load()
{
    Loaded l;
    l.s.DataFiles = QStringList{u"stale"_s};
    l.s.DataDir = QStringLiteral("stale");
    l.pos = loadSettings(SettingsStore(), l.s, ProgramDir);
    return l;
}

ProgramSettings listOf(const QStringList &files)
{
    ProgramSettings s;
    s.DataFiles = QStringList{QString()} + files;
    s.DataFileCount = qint16(files.size());
    s.DataDir = QStringLiteral("/data/dir");
    return s;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    // A fresh configuration folder, set as XDG_CONFIG_HOME.
    QString newConfigHome()
    {
        m_dirs.push_back(std::make_unique<QTemporaryDir>());
        const QString path = m_dirs.back()->path();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path));
        return path;
    }

    QString iniPath() const { return m_home + QStringLiteral("/Pellarin/Pellarin.ini"); }

    // Moves to a copy of the current file in a new folder, so that the next
    // store parses it from disk instead of reusing what this process holds.
    void reparse()
    {
        const QByteArray bytes = contents(iniPath());
        m_home = newConfigHome();
        writeFile(iniPath(), bytes);
    }

    void store(const QStringList &entries)
    {
        SettingsStore st;
        for (const QString &e : entries) {
            const qsizetype slash = e.indexOf(QLatin1Char('/'));
            const qsizetype eq = e.indexOf(QLatin1Char('='));
            st.write(e.left(slash), e.mid(slash + 1, eq - slash - 1), e.mid(eq + 1));
        }
    }

    std::vector<std::unique_ptr<QTemporaryDir>> m_dirs;
    QString m_home;

private Q_SLOTS:
    void init() { m_home = newConfigHome(); }
    void cleanup() { m_dirs.clear(); }

    void fileNameFollowsEnvironment()
    {
        QCOMPARE(SettingsStore().fileName(), iniPath());
        SettingsStore().write(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
        QVERIFY(QFile::exists(iniPath()));

        // A second folder within the same process.
        const QString other = newConfigHome();
        QCOMPARE(SettingsStore().fileName(), other + QStringLiteral("/Pellarin/Pellarin.ini"));
        QCOMPARE(SettingsStore().read(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("none")),
                 QStringLiteral("none"));

        // Without XDG_CONFIG_HOME: ~/.config.
        const QByteArray oldHome = qgetenv("HOME");
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(other));
        const QString name = SettingsStore().fileName();
        qputenv("HOME", oldHome);
        QCOMPARE(name, other + QStringLiteral("/.config/Pellarin/Pellarin.ini"));
    }

    void firstRunDefaults()
    {
        const Loaded l = load();
        QCOMPARE(l.pos.WindowX, qint16(2000));
        QCOMPARE(l.pos.WindowY, qint16(1400));
        QCOMPARE(l.s.IncSerFlag, qint16(0));
        QCOMPARE(l.s.ClipSerFlag, qint16(0));
        QCOMPARE(l.s.DataSourceMode, qint16(0));
        QCOMPARE(l.s.DataFileCount, qint16(0));
        QCOMPARE(l.s.DataFiles, QStringList{QString()});
        QCOMPARE(l.s.DataDir, ProgramDir);
        // Reading creates nothing.
        QVERIFY(QDir(m_home).isEmpty());
    }

    void loadNumbers_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");

        const QString x = QStringLiteral("WindowStile/WindowX");
        const QString y = QStringLiteral("WindowStile/WindowY");
        QTest::newRow("x 12000 kept") << x << "12000" << 12000;
        QTest::newRow("x 12001 reset") << x << "12001" << 2000;
        QTest::newRow("x 32767 reset") << x << "32767" << 2000;
        QTest::newRow("x -500 kept") << x << "-500" << -500;
        QTest::newRow("x -32768 kept") << x << "-32768" << -32768;
        QTest::newRow("x 0") << x << "0" << 0;
        QTest::newRow("y 10000 kept") << y << "10000" << 10000;
        QTest::newRow("y 10001 reset") << y << "10001" << 1400;
        QTest::newRow("y -500 kept") << y << "-500" << -500;

        // Not a 16-bit decimal integer: the default (and then the clamp).
        QTest::newRow("x 32768") << x << "32768" << 2000;
        QTest::newRow("x -32769") << x << "-32769" << 2000;
        QTest::newRow("x 99999999999999999999") << x << "99999999999999999999" << 2000;
        QTest::newRow("x empty") << x << "" << 2000;
        QTest::newRow("x blank") << x << " " << 2000;
        QTest::newRow("x word") << x << "abc" << 2000;
        QTest::newRow("x trailing junk") << x << "12x" << 2000;
        QTest::newRow("x fraction") << x << "1.5" << 2000;
        QTest::newRow("x hex") << x << "0x10" << 2000;
        QTest::newRow("x exponent") << x << "1e3" << 2000;
        QTest::newRow("x sign only") << x << "-" << 2000;
        QTest::newRow("x double sign") << x << "--5" << 2000;
        QTest::newRow("x inner blank") << x << "1 2" << 2000;
        QTest::newRow("x tab") << x << "\t5" << 2000;
        QTest::newRow("x fullwidth digits") << x << QStringLiteral("１２") << 2000;
        QTest::newRow("y word") << y << "true" << 1400;
        // Accepted forms besides the written one.
        QTest::newRow("x blanks around") << x << "  300 " << 300;
        QTest::newRow("x plus") << x << "+300" << 300;
        QTest::newRow("x leading zeros") << x << "007" << 7;

        const QString inc = QStringLiteral("WindowStile/IncSerON");
        QTest::newRow("IncSerON 0") << inc << "0" << 0;
        QTest::newRow("IncSerON 1") << inc << "1" << 1;
        QTest::newRow("IncSerON 2") << inc << "2" << 2;
        QTest::newRow("IncSerON -1") << inc << "-1" << -1;
        QTest::newRow("IncSerON word") << inc << "on" << 0;
        QTest::newRow("ClipBoardSearch 1") << "WindowStile/ClipBoardSearch" << "1" << 1;
        QTest::newRow("ClipBoardSearch junk") << "WindowStile/ClipBoardSearch" << "x" << 0;
        QTest::newRow("DataSource 3") << "WindowStile/DataSource" << "3" << 3;
        QTest::newRow("DataSource range") << "WindowStile/DataSource" << "70000" << 0;

        const QString max = QStringLiteral("DataFile/MaxDataFile");
        QTest::newRow("MaxDataFile 2") << max << "2" << 2;
        QTest::newRow("MaxDataFile -3") << max << "-3" << 0;
        QTest::newRow("MaxDataFile -32768") << max << "-32768" << 0;
        QTest::newRow("MaxDataFile word") << max << "many" << 0;
        QTest::newRow("MaxDataFile range") << max << "32768" << 0;
    }

    void loadNumbers()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(int, expected);
        store({key + QLatin1Char('=') + stored});
        const Loaded l = load();
        const QString name = key.section(QLatin1Char('/'), 1);
        const int got = name == QLatin1String("WindowX")         ? l.pos.WindowX
                        : name == QLatin1String("WindowY")       ? l.pos.WindowY
                        : name == QLatin1String("IncSerON")      ? l.s.IncSerFlag
                        : name == QLatin1String("ClipBoardSearch") ? l.s.ClipSerFlag
                        : name == QLatin1String("DataSource")    ? l.s.DataSourceMode
                                                                 : l.s.DataFileCount;
        QCOMPARE(got, expected);
        if (name == QLatin1String("MaxDataFile"))
            QCOMPARE(l.s.DataFiles.size(), expected + 1);
    }

    void loadDataFiles_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("files"); // entries 1..count
        QTest::addColumn<QString>("dir");

        const QString d = ProgramDir;
        QTest::newRow("keys 1 and 3 of 3")
            << QStringList{u"DataFile/MaxDataFile=3"_s, u"DataFile/File1=/a.qnr"_s, u"DataFile/File3=/c.qnr"_s}
            << QStringList{u"/a.qnr"_s, u""_s, u"/c.qnr"_s} << d;
        QTest::newRow("keys above the count ignored")
            << QStringList{u"DataFile/MaxDataFile=2"_s, u"DataFile/File1=/a"_s, u"DataFile/File2=/b"_s, u"DataFile/File3=/c"_s}
            << QStringList{u"/a"_s, u"/b"_s} << d;
        QTest::newRow("no leading zeros")
            << QStringList{u"DataFile/MaxDataFile=1"_s, u"DataFile/File01=/zero"_s} << QStringList{u""_s} << d;
        QTest::newRow("count 0 with keys")
            << QStringList{u"DataFile/MaxDataFile=0"_s, u"DataFile/File1=/a"_s} << QStringList{} << d;
        QTest::newRow("negative count with keys")
            << QStringList{u"DataFile/MaxDataFile=-1"_s, u"DataFile/File1=/a"_s} << QStringList{} << d;
        QTest::newRow("keys without count")
            << QStringList{u"DataFile/File1=/a"_s} << QStringList{} << d;
        QTest::newRow("empty stored entry")
            << QStringList{u"DataFile/MaxDataFile=1"_s, u"DataFile/File1="_s} << QStringList{u""_s} << d;
        QTest::newRow("other section ignored")
            << QStringList{u"WindowStile/MaxDataFile=2"_s, u"WindowStile/File1=/a"_s, u"WindowStile/Dir=/w"_s}
            << QStringList{} << d;
        QTest::newRow("Dir stored") << QStringList{u"DataFile/Dir=/data"_s} << QStringList{} << "/data";
        QTest::newRow("Dir stored empty") << QStringList{u"DataFile/Dir="_s} << QStringList{} << "";
    }

    void loadDataFiles()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, files);
        QFETCH(QString, dir);
        store(stored);
        const Loaded l = load();
        QCOMPARE(l.s.DataFileCount, qint16(files.size()));
        QCOMPARE(l.s.DataFiles, QStringList{QString()} + files);
        QCOMPARE(l.s.DataDir, dir);
    }

    void writeLayout()
    {
        QStringList files;
        for (int n = 1; n <= 12; ++n)
            files << QStringLiteral("/d/%1.qnr").arg(n);
        files[1].clear();
        ProgramSettings s = listOf(files);
        s.IncSerFlag = 0; // the passed IncSerON is what counts
        s.ClipSerFlag = 1;
        s.DataSourceMode = -2;
        SettingsStore st;
        writeSettings(st, s, 2000, -1, 1110, 32767, 1);

        const QByteArray ini = contents(iniPath());
        QStringList window = sectionLines(ini, QStringLiteral("WindowStile"));
        window.sort();
        QCOMPARE(window, (QStringList{u"ClipBoardSearch=1"_s, u"DataSource=-2"_s, u"IncSerON=1"_s, u"Window2X=1110"_s,
                                      u"Window2Y=32767"_s, u"WindowX=2000"_s, u"WindowY=-1"_s}));
        QStringList data = sectionLines(ini, QStringLiteral("DataFile"));
        data.sort();
        QStringList expected{u"Dir=/data/dir"_s, u"MaxDataFile=12"_s, u"File2="_s};
        for (int n = 1; n <= 12; ++n)
            if (n != 2)
                expected << QStringLiteral("File%1=/d/%1.qnr").arg(n);
        expected.sort();
        QCOMPARE(data, expected);

        reparse();
        const Loaded l = load();
        QCOMPARE(l.pos.WindowX, qint16(2000));
        QCOMPARE(l.pos.WindowY, qint16(-1));
        QCOMPARE(l.s.IncSerFlag, qint16(1));
        QCOMPARE(l.s.ClipSerFlag, qint16(1));
        QCOMPARE(l.s.DataSourceMode, qint16(-2));
        QCOMPARE(l.s.DataFiles, s.DataFiles);
        QCOMPARE(l.s.DataDir, s.DataDir);
    }

    void shortenedListKeepsHigherKeys()
    {
        SettingsStore st;
        writeSettings(st, listOf({u"/1"_s, u"/2"_s, u"/3"_s, u"/4"_s, u"/5"_s}), 0, 0, 0, 0, 0);
        writeSettings(st, listOf({u"/one"_s, u"/two"_s, u"/three"_s}), 0, 0, 0, 0, 0);

        QStringList data = sectionLines(contents(iniPath()), QStringLiteral("DataFile"));
        data.sort();
        QCOMPARE(data, (QStringList{u"Dir=/data/dir"_s, u"File1=/one"_s, u"File2=/two"_s, u"File3=/three"_s, u"File4=/4"_s,
                                    u"File5=/5"_s, u"MaxDataFile=3"_s}));
        reparse();
        QCOMPARE(load().s.DataFiles, (QStringList{u""_s, u"/one"_s, u"/two"_s, u"/three"_s}));
    }

    void clearAll()
    {
        {
            SettingsStore st;
            writeSettings(st, listOf({u"/a"_s, u"/b"_s}), 100, 200, 300, 400, 1);
            clearStoredDataFiles(st);
        }
        const QByteArray ini = contents(iniPath());
        QCOMPARE(sectionLines(ini, QStringLiteral("DataFile")), QStringList{u"MaxDataFile=0"_s});
        QCOMPARE(sectionLines(ini, QStringLiteral("WindowStile")).size(), 7);

        reparse();
        const Loaded l = load();
        QCOMPARE(l.s.DataFileCount, qint16(0));
        QCOMPARE(l.s.DataDir, ProgramDir);
        QCOMPARE(l.pos.WindowX, qint16(100));
        QCOMPARE(l.s.IncSerFlag, qint16(1));

        // Also on a store with nothing in it.
        m_home = newConfigHome();
        SettingsStore empty;
        clearStoredDataFiles(empty);
        QCOMPARE(sectionLines(contents(iniPath()), QStringLiteral("DataFile")), QStringList{u"MaxDataFile=0"_s});
    }

    void textRoundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "/home/u/data/tokyo.qnr";
        QTest::newRow("comma") << "/d/a,b.qnr";
        QTest::newRow("comma blank") << "a, b ,c";
        QTest::newRow("only comma") << ",";
        QTest::newRow("equals") << "/d/a=b.qnr";
        QTest::newRow("semicolon") << "/d/a;b.qnr";
        QTest::newRow("leading semicolon") << ";x";
        QTest::newRow("hash") << "/d/#1.qnr";
        QTest::newRow("leading hash") << "#x";
        QTest::newRow("at") << "/d/a@b.qnr";
        QTest::newRow("leading at") << "@home";
        QTest::newRow("at at") << "@@";
        QTest::newRow("bytearray form") << "@ByteArray(x)";
        QTest::newRow("variant form") << "@Variant(\\0\\0\\0\\x7f)";
        QTest::newRow("rect form") << "@Rect(1 2 3 4)";
        QTest::newRow("invalid form") << "@Invalid()";
        QTest::newRow("double quotes") << "\"/d/a.qnr\"";
        QTest::newRow("inner quote") << "/d/a\"b.qnr";
        QTest::newRow("single quotes") << "'x'";
        QTest::newRow("backslashes") << "C:\\Program Files\\Pellarin\\tokyo.qnr";
        QTest::newRow("trailing backslash") << "C:\\data\\";
        QTest::newRow("escape lookalikes") << "\\n\\t\\x41\\0";
        QTest::newRow("leading blanks") << "  /d/a.qnr";
        QTest::newRow("trailing blanks") << "/d/a.qnr  ";
        QTest::newRow("only blanks") << "   ";
        QTest::newRow("japanese") << QStringLiteral("/データ/東京都.qnr");
        QTest::newRow("fullwidth blank") << QStringLiteral("　東京　");
        QTest::newRow("true") << "true";
        QTest::newRow("number") << "0012";
        QTest::newRow("empty") << "";
        QTest::newRow("newline") << "line1\nline2";
        QTest::newRow("crlf") << "a\r\nb";
        QTest::newRow("tab") << "\ta\t";
        QTest::newRow("section lookalike") << "[DataFile]";
        QTest::newRow("key lookalike") << "File1=/x";
        QTest::newRow("slashes") << "//server/share/";
        QTest::newRow("percent") << "%41%U0041";
        QTest::newRow("all at once") << QStringLiteral(" @a,=;#\"\\ 日本 \n\t");
    }

    void textRoundTrip()
    {
        QFETCH(QString, value);
        {
            SettingsStore st;
            st.write(QStringLiteral("DataFile"), QStringLiteral("File1"), value);
            ProgramSettings s = listOf({value});
            s.DataDir = value;
            writeSettings(st, s, 0, 0, 0, 0, 0);
            st.write(QStringLiteral("Other"), QStringLiteral("Value"), value);
        }
        reparse();
        QCOMPARE(SettingsStore().read(QStringLiteral("Other"), QStringLiteral("Value"), QStringLiteral("?")), value);
        const Loaded l = load();
        QCOMPARE(l.s.DataFiles.value(1), value);
        QCOMPARE(l.s.DataDir, value);
    }

    void handWrittenValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unquoted comma") << QByteArray("File1=/d/a,b.qnr") << "/d/a,b.qnr";
        QTest::newRow("unquoted list") << QByteArray("File1=a , b,c") << "a,b,c";
        QTest::newRow("byte array") << QByteArray("File1=@ByteArray(/d/x)") << "@ByteArray(/d/x)";
        QTest::newRow("variant") << QByteArray("File1=@Variant(\\0\\0\\0\\x7f\\0\\0)") << "";
        QTest::newRow("rect") << QByteArray("File1=@Rect(1 2 3 4)") << "";
        QTest::newRow("utf-8") << QByteArray("File1=/\xe6\x9d\xb1/a") << QStringLiteral("/東/a");
    }

    void handWrittenValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        writeFile(iniPath(), "[DataFile]\nMaxDataFile=1\n" + line + "\n");
        QCOMPARE(load().s.DataFiles.value(1), expected);
    }

    void writeReplacesFileWhole()
    {
        const QString dir = m_home + QStringLiteral("/Pellarin");
        SettingsStore st;
        st.write(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("first"));
        const QByteArray before = contents(iniPath());
        const ino_t inode = inodeOf(iniPath());
        // A second name for the old file shows what happens to its contents.
        QCOMPARE(::link(QFile::encodeName(iniPath()).constData(),
                        QFile::encodeName(m_home + QStringLiteral("/old.ini")).constData()),
                 0);

        DirWatch watch(dir);
        st.write(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("second"));
        QVERIFY(inodeOf(iniPath()) != inode);
        // The old file was never touched: the new one was renamed over it.
        QCOMPARE(contents(m_home + QStringLiteral("/old.ini")), before);
        QVERIFY(contents(iniPath()).contains("K=second"));
        QCOMPARE(watch.take("Pellarin.ini"), (std::array<int, 3>{0, 0, 1}));
        // Nothing left beside it (temporary or lock file).
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{u"Pellarin.ini"_s});

        // The whole write-back and the clear-all are one replacement each.
        writeSettings(st, listOf({u"/a"_s, u"/b"_s, u"/c"_s}), 1, 2, 3, 4, 1);
        QCOMPARE(watch.take("Pellarin.ini"), (std::array<int, 3>{0, 0, 1}));
        clearStoredDataFiles(st);
        QCOMPARE(watch.take("Pellarin.ini"), (std::array<int, 3>{0, 0, 1}));
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{u"Pellarin.ini"_s});
    }

    void batchWritesAtTheEnd()
    {
        SettingsStore st;
        st.beginBatch();
        st.beginBatch();
        st.write(QStringLiteral("S"), QStringLiteral("A"), QStringLiteral("1"));
        st.endBatch();
        st.write(QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("2"));
        QVERIFY(!QFile::exists(iniPath()));
        // The store itself sees its pending changes.
        QCOMPARE(st.read(QStringLiteral("S"), QStringLiteral("A"), QString()), QStringLiteral("1"));
        st.endBatch();
        QCOMPARE(sectionLines(contents(iniPath()), QStringLiteral("S")), (QStringList{u"A=1"_s, u"B=2"_s}));
        st.endBatch(); // unmatched: no effect
        st.deleteSection(QStringLiteral("S"));
        QVERIFY(!contents(iniPath()).contains("A=1"));
    }

    void corruptedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("windowX");
        QTest::addColumn<int>("windowY");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("file1"); // null: not checked

        const QByteArray good = "[WindowStile]\nWindowX=500\nWindowY=600\n[DataFile]\nMaxDataFile=1\nFile1=/a.qnr\n";
        QTest::newRow("intact") << good << 500 << 600 << 1 << "/a.qnr";
        QTest::newRow("empty") << QByteArray() << 2000 << 1400 << 0 << QString();
        QTest::newRow("blank lines") << QByteArray("\n\r\n\n") << 2000 << 1400 << 0 << QString();
        QTest::newRow("lone bracket") << QByteArray("[") << 2000 << 1400 << 0 << QString();
        QTest::newRow("truncated value") << good.left(good.size() - 5) << 500 << 600 << 1 << "/a";
        QTest::newRow("truncated key") << good.left(good.indexOf("File1") + 3) << 500 << 600 << 1 << "";
        QTest::newRow("truncated header")
            << good.left(good.indexOf("[DataFile]") + 4) << 500 << 600 << 0 << QString();
        QTest::newRow("missing bracket")
            << QByteArray("[WindowStile]\nWindowX=500\n[DataFile\nMaxDataFile=1\nFile1=/a.qnr\n")
            << 500 << 1400 << -1 << QString();
        QTest::newRow("junk before")
            << bytes("\x00\xff\xfe\x01\x80garbage\x9f\n") + good << 500 << 600 << 1 << "/a.qnr";
        QTest::newRow("junk inside")
            << bytes("[WindowStile]\nWindowX=500\n\x00\x01\xff=\x02\x03\n\xc3\x28\nWindowY=600\n")
            << 500 << 600 << 0 << QString();
        QTest::newRow("junk values")
            << bytes("[WindowStile]\nWindowX=\xff\xfe\nWindowY=6\x00" "0\n[DataFile]\nMaxDataFile=1\nFile1=\xff/\x00x\n")
            << 2000 << 1400 << 1 << QString();
        QTest::newRow("typed values")
            << QByteArray("[WindowStile]\nWindowX=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\nWindowY=@Rect(1 2 3 4)\n"
                          "[DataFile]\nMaxDataFile=@ByteArray(3)\n")
            << 2000 << 1400 << 0 << QString();
        QTest::newRow("unterminated quote")
            << QByteArray("[WindowStile]\nWindowX=500\n[DataFile]\nMaxDataFile=1\nFile1=\"/a\nDir=/b\n")
            << 500 << 1400 << 1 << QString();
        QTest::newRow("bom and crlf")
            << QByteArray("\xef\xbb\xbf[WindowStile]\r\nWindowY=600\r\n[DataFile]\r\nMaxDataFile=1\r\nFile1=/a.qnr\r\n")
            << 2000 << 600 << 1 << "/a.qnr";
        QTest::newRow("duplicate sections")
            << QByteArray("[WindowStile]\nWindowX=1\n[WindowStile]\nWindowY=2\n") << 1 << 2 << 0 << QString();

        QByteArray binary(256 * 1024, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 7919) >> 3);
        QTest::newRow("binary") << binary << -1 << -1 << -1 << QString();

        QByteArray huge;
        for (int i = 0; i < 100000; ++i)
            huge += "Junk" + QByteArray::number(i) + "=" + QByteArray(40, 'x') + "\n";
        QTest::newRow("huge")
            << "[DataFile]\n" + huge + "MaxDataFile=2\nFile2=/b\n[WindowStile]\nWindowX=7\n" << 7 << 1400 << 2 << "";
        QTest::newRow("huge count, no files")
            << QByteArray("[DataFile]\nMaxDataFile=32767\n") << 2000 << 1400 << 32767 << "";
        QTest::newRow("huge count")
            << QByteArray("[DataFile]\nMaxDataFile=32767\nFile32767=/last\n") << 2000 << 1400 << 32767 << "";
    }

    void corruptedFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, windowX);
        QFETCH(int, windowY);
        QFETCH(int, count);
        QFETCH(QString, file1);

        writeFile(iniPath(), bytes);
        Loaded l = load();
        if (windowX >= 0)
            QCOMPARE(l.pos.WindowX, qint16(windowX));
        if (windowY >= 0)
            QCOMPARE(l.pos.WindowY, qint16(windowY));
        if (count >= 0)
            QCOMPARE(l.s.DataFileCount, qint16(count));
        QCOMPARE(l.s.DataFiles.size(), l.s.DataFileCount + 1);
        if (!file1.isNull())
            QCOMPARE(l.s.DataFiles.value(1), file1);

        // The write-back at exit leaves a file that loads what was written.
        l.s.DataFiles = QStringList{QString(), u"/new.qnr"_s};
        l.s.DataFileCount = 1;
        {
            SettingsStore st;
            writeSettings(st, l.s, 11, 22, 0, 0, 1);
        }
        reparse();
        const Loaded again = load();
        QCOMPARE(again.pos.WindowX, qint16(11));
        QCOMPARE(again.pos.WindowY, qint16(22));
        QCOMPARE(again.s.IncSerFlag, qint16(1));
        QCOMPARE(again.s.DataFiles, l.s.DataFiles);
        QCOMPARE(again.s.DataDir, l.s.DataDir);
    }

    void unwritableFolder()
    {
        // The application folder is taken by a file: nothing can be created.
        writeFile(m_home + QStringLiteral("/Pellarin"), "not a folder");
        {
            SettingsStore st;
            st.write(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
            writeSettings(st, listOf({u"/a"_s}), 1, 2, 3, 4, 1);
            clearStoredDataFiles(st);
            st.deleteSection(QStringLiteral("S"));
        }
        QCOMPARE(contents(m_home + QStringLiteral("/Pellarin")), QByteArray("not a folder"));
        const Loaded l = load();
        QCOMPARE(l.pos.WindowX, qint16(2000));
        QCOMPARE(l.s.DataFileCount, qint16(0));

        // The settings file is a folder.
        m_home = newConfigHome();
        QVERIFY(QDir().mkpath(iniPath()));
        {
            SettingsStore st;
            writeSettings(st, listOf({u"/a"_s}), 1, 2, 3, 4, 1);
        }
        QVERIFY(QFileInfo(iniPath()).isDir());
        QCOMPARE(load().s.DataDir, ProgramDir);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
