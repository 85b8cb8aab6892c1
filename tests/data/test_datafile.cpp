// Reading data files and rebuilding the record table. Fixtures are written
// as code page 932 bytes into a temporary folder.

#include "data/datafile.h"
#include "data/recordtable.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(FileOutcome)

using namespace Qt::StringLiterals;

namespace {

// Header, then the section line "\S".
const QByteArray Head = QByteArrayLiteral("QUENTAR@V2\r\n\\S\r\n");

QStringList joinedLines(const RecordTable &t)
{
    QStringList lines;
    for (qsizetype i = 1; i <= t.DataCount(); ++i)
        lines << t.joinedLine(i).toString();
    return lines;
}

QString u16(const char16_t *s)
{
    return QString::fromUtf16(s);
}

}  // namespace

class TestDataFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_serial = 0;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString write(const QByteArray &bytes, QString name = QString())
    {
        if (name.isEmpty())
            name = QStringLiteral("f%1.qnr").arg(++m_serial);
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write fixture");
        return f.fileName();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void outcomeTexts_data()
    {
        QTest::addColumn<FileOutcome>("outcome");
        QTest::addColumn<QString>("text");
        QTest::newRow("read") << FileOutcome::Read << QStringLiteral("read");
        QTest::newRow("not regular") << FileOutcome::NotRegular << QStringLiteral("not a regular file");
        QTest::newRow("cannot read") << FileOutcome::CannotRead << QStringLiteral("cannot read");
        QTest::newRow("wrong header") << FileOutcome::WrongHeader << QStringLiteral("wrong header");
        QTest::newRow("no section") << FileOutcome::NoSectionLine << QStringLiteral("no section line");
    }
    void outcomeTexts()
    {
        QFETCH(FileOutcome, outcome);
        QFETCH(QString, text);
        QCOMPARE(::describeOutcome(outcome), text);
    }

    // One file's bytes -> its outcome and the joined lines it appends.
    void readFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<FileOutcome>("outcome");
        QTest::addColumn<QStringList>("joined");
        const auto row = [](const char *name, const QByteArray &bytes, FileOutcome outcome, const QStringList &joined) {
            QTest::newRow(name) << bytes << outcome << joined;
        };
        using O = FileOutcome;
        const QStringList none;

        // Header
        row("header ok", Head + "ABCDEFGHx\r\n", O::Read, {u"ABCDEFGHSx"_s});
        row("header trailing blank", "QUENTAR@V2 \r\n\\S\r\nABCDEFGHx\r\n", O::WrongHeader, none);
        row("header leading blank", " QUENTAR@V2\r\n\\S\r\nABCDEFGHx\r\n", O::WrongHeader, none);
        row("header other case", "quentar@v2\r\n\\S\r\nABCDEFGHx\r\n", O::WrongHeader, none);
        row("header old version", "QUENTAR@V1\r\n\\S\r\nABCDEFGHx\r\n", O::WrongHeader, none);
        row("header empty line", "\r\nQUENTAR@V2\r\n\\S\r\nABCDEFGHx\r\n", O::WrongHeader, none);
        row("header malformed byte", "QUENTAR@V2\x81\r\n\\S\r\nABCDEFGHx\r\n", O::WrongHeader, none);
        row("LF-only file: LF is no line end", "QUENTAR@V2\n\\S\nABCDEFGHx\n", O::WrongHeader, none);

        // Ending before the section line
        row("empty file", "", O::NoSectionLine, none);
        row("header only", "QUENTAR@V2\r\n", O::NoSectionLine, none);
        row("header only, no line end", "QUENTAR@V2", O::NoSectionLine, none);
        row("no backslash line", "QUENTAR@V2\r\nABCDEFGHx\r\n;c\r\n", O::NoSectionLine, none);
        row("tab before backslash is no blank", "QUENTAR@V2\r\n\t\\S\r\nABCDEFGHx\r\n", O::NoSectionLine, none);
        row("ideographic space before backslash", "QUENTAR@V2\r\n\x81\x40\\S\r\nABCDEFGHx\r\n", O::NoSectionLine, none);
        row("section line last, no records", "QUENTAR@V2\r\n\\S", O::Read, none);

        // Preamble and section line
        row("preamble ignored", "QUENTAR@V2\r\n;remark\r\n\r\nABCDEFGHpre\r\n  \r\nfree text\r\n\\S\r\nABCDEFGHx\r\n",
            O::Read, {u"ABCDEFGHSx"_s});
        row("backslash alone: empty section", "QUENTAR@V2\r\n\\\r\nABCDEFGHx\r\n", O::Read, {u"ABCDEFGHx"_s});
        row("blanks before backslash stay", "QUENTAR@V2\r\n  \\S\r\nABCDEFGHx\r\n", O::Read, {u"ABCDEFGH \\Sx"_s});
        row("section trailing blanks kept", "QUENTAR@V2\r\n\\S  \r\nABCDEFGHx\r\n", O::Read, {u"ABCDEFGHS  x"_s});
        row("section in Japanese", "QUENTAR@V2\r\n\\\x96\x6b\x8a\x43\x93\xb9\r\nABCDEFGHx\r\n", O::Read,
            {u"ABCDEFGH北海道x"_s});
        row("first backslash line wins", "QUENTAR@V2\r\n\\S\r\n\\ABCDEFGlen\r\n", O::Read, {u"\\ABCDEFGSlen"_s});

        // Body
        row("trimmed before split", Head + "  ABCDEFGH  \r\n   ABCDEFGHx y  \r\n", O::Read,
            {u"ABCDEFGHS"_s, u"ABCDEFGHSx y"_s});
        row("exactly 8 characters", Head + "ABCDEFGH\r\n", O::Read, {u"ABCDEFGHS"_s});
        row("under 8 characters skipped", Head + "ABCDEFG\r\n  ABCDEFG  \r\nA\r\nABCDEFGHx\r\n", O::Read,
            {u"ABCDEFGHSx"_s});
        row("blank and comment lines", Head + "\r\n    \r\n;ABCDEFGHx\r\n   ;ABCDEFGHy\r\nABCDEFGH;z\r\n", O::Read,
            {u"ABCDEFGHS;z"_s});
        row("ideographic space not trimmed", Head + "\x81\x40" "ABCDEFGHx\x81\x40\r\n", O::Read,
            {u"　ABCDEFGSHx　"_s});
        row("tab not trimmed", Head + "\tABCDEFGH\r\n", O::Read, {u"\tABCDEFGSH"_s});
        row("double-byte characters count as one", Head + "\x82\x60" "BCDEFG\x96\x6b\x95\x5c\r\n", O::Read,
            {u"ＡBCDEFG北S表"_s});
        row("records in file order, no dedup", Head + "BBBBBBBB2\r\nAAAAAAAA1\r\nBBBBBBBB2\r\n", O::Read,
            {u"BBBBBBBBS2"_s, u"AAAAAAAAS1"_s, u"BBBBBBBBS2"_s});

        // Line ends
        row("CR alone", "QUENTAR@V2\r\\S\rABCDEFGHx\rABCDEFGHy\r", O::Read, {u"ABCDEFGHSx"_s, u"ABCDEFGHSy"_s});
        row("CR CR LF: an empty line", Head + "ABCDEFGHx\r\r\nABCDEFGHy\r\n", O::Read,
            {u"ABCDEFGHSx"_s, u"ABCDEFGHSy"_s});
        row("LF inside a line", Head + "ABCD\nEFGHx\r\nABCDEFGH\n\r\n", O::Read,
            {u"ABCD\nEFGSHx"_s, u"ABCDEFGHS\n"_s});
        row("no final line end", Head + "ABCDEFGHx\r\nABCDEFGHlast", O::Read,
            {u"ABCDEFGHSx"_s, u"ABCDEFGHSlast"_s});

        // Malformed and special bytes
        row("lead byte before CR LF", Head + "ABCDEFGH\x81\r\nABCDEFGHy\r\n", O::Read,
            {u"ABCDEFGHS\uFFFD"_s, u"ABCDEFGHSy"_s});
        row("lead byte before CR", Head + "ABCDEFGH\x81\rABCDEFGHy\r", O::Read,
            {u"ABCDEFGHS\uFFFD"_s, u"ABCDEFGHSy"_s});
        row("lead byte at end of file", Head + "ABCDEFGHx\x81", O::Read, {u"ABCDEFGHSx\uFFFD"_s});
        row("lead byte before LF", Head + "ABCDEFGH\x81\nz\r\n", O::Read, {u"ABCDEFGHS\uFFFD\nz"_s});
        row("bytes of no character", Head + "ABCDEFGH\x80\xa0\xfd\xffz\r\n", O::Read,
            {u"ABCDEFGHS\uFFFD\uFFFD\uFFFD\uFFFDz"_s});
        row("unassigned double byte", Head + "ABCDEFGH\x85\x40z\r\n", O::Read, {u"ABCDEFGHS\uFFFDz"_s});
        row("malformed byte in section line", "QUENTAR@V2\r\n\\S\xa0\r\nABCDEFGHx\r\n", O::Read,
            {u"ABCDEFGHS\uFFFDx"_s});
        row("control bytes decode to themselves", Head + QByteArray("ABCDEFGH\x1a\x1c\x7f\x00z\r\n", 15), O::Read,
            {u16(u"ABCDEFGHS\x1a\x1c\x7f") + QChar(0) + u"z"_s});
        row("control bytes next to malformed ones", Head + "ABCDEFGH\x81\x7f\x81\x1a\r\n", O::Read,
            {u16(u"ABCDEFGHS\uFFFD\x7f\uFFFD\x1a")});
    }
    void readFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(FileOutcome, outcome);
        QFETCH(QStringList, joined);

        RecordTable table;
        table.appendJoinedLine(u"existing record"_s);
        QCOMPARE(describeOutcome(ReadDataFile(write(bytes), table)), describeOutcome(outcome));
        QCOMPARE(table.DataCount(), 1 + joined.size());
        QCOMPARE(joinedLines(table), QStringList{u"existing record"_s} + joined);
    }

    // The split of joined lines into number and text, after character 8.
    void split_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("9 characters: counted, both empty") << QByteArray("QUENTAR@V2\r\n\\\r\nABCDEFGHI\r\n")
                                                           << QString() << QString();
        QTest::newRow("8 + 1-character section: counted, both empty")
            << QByteArray("QUENTAR@V2\r\n\\S\r\nABCDEFGH\r\n") << QString() << QString();
        QTest::newRow("10 characters") << QByteArray("QUENTAR@V2\r\n\\\r\nABCDEFGHIJ\r\n") << u"ABCDEFGH"_s
                                       << u"IJ"_s;
        QTest::newRow("8 + section") << QByteArray("QUENTAR@V2\r\n\\SE\r\nABCDEFGH\r\n") << u"ABCDEFGH"_s
                                     << u"SE"_s;
        QTest::newRow("double-byte") << QByteArray("QUENTAR@V2\r\n\\\x96\x6b\r\n\x82\x60\x82\x61" "CDEFGH\x8a\x43\r\n")
                                     << u"ＡＢCDEFGH"_s << u"北海"_s;
    }
    void split()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, number);
        QFETCH(QString, text);
        const QString file = write(bytes);

        RecordTable table;
        FileReload(table, {QString(), file}, 1);
        QCOMPARE(table.DataCount(), 1);
        QCOMPARE(table.DataNums(1).toString(), number);
        QCOMPARE(table.DataTexts(1).toString(), text);
        QVERIFY(table.DataNums(0).isEmpty());
        QVERIFY(table.DataTexts(2).isEmpty());
    }

    // Files that are not read at all: nothing is opened, nothing appended.
    void skippedFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<FileOutcome>("outcome");
        const QByteArray good = Head + "ABCDEFGHx\r\n";

        QDir(m_dir.path()).mkdir(QStringLiteral("folder.qnr"));
        write(good, QStringLiteral("target.qnr"));
        QFile::link(path(QStringLiteral("target.qnr")), path(QStringLiteral("link.qnr")));
        QFile::link(path(QStringLiteral("nothing.qnr")), path(QStringLiteral("dangling.qnr")));
        write(good, QStringLiteral(".hidden.qnr"));
        QFile::link(path(QStringLiteral(".hidden.qnr")), path(QStringLiteral("to-hidden.qnr")));

        using O = FileOutcome;
        QTest::newRow("empty path") << QString() << O::NotRegular;
        QTest::newRow("missing") << path(QStringLiteral("missing.qnr")) << O::NotRegular;
        QTest::newRow("missing folder") << path(QStringLiteral("no/such.qnr")) << O::NotRegular;
        QTest::newRow("directory") << path(QStringLiteral("folder.qnr")) << O::NotRegular;
        QTest::newRow("directory with slash") << path(QStringLiteral("folder.qnr/")) << O::NotRegular;
        QTest::newRow("device") << QStringLiteral("/dev/null") << O::NotRegular;
        QTest::newRow("dangling link") << path(QStringLiteral("dangling.qnr")) << O::NotRegular;
        QTest::newRow("hidden") << path(QStringLiteral(".hidden.qnr")) << O::NotRegular;
        QTest::newRow("link to a regular file") << path(QStringLiteral("link.qnr")) << O::Read;
        QTest::newRow("visible link to a hidden file") << path(QStringLiteral("to-hidden.qnr")) << O::Read;
    }
    void skippedFiles()
    {
        QFETCH(QString, file);
        QFETCH(FileOutcome, outcome);
        RecordTable table;
        QCOMPARE(describeOutcome(ReadDataFile(file, table)), describeOutcome(outcome));
        QCOMPARE(table.DataCount(), outcome == FileOutcome::Read ? 1 : 0);
    }

    void fifoDoesNotBlock()
    {
        const QByteArray fifo = QFile::encodeName(path(QStringLiteral("fifo.qnr")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        auto reading = std::async(std::launch::async, [&] {
            RecordTable table;
            return ReadDataFile(QFile::decodeName(fifo), table);
        });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            // Release the reader stuck in open() before failing.
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            reading.wait();
            QFAIL("reading a FIFO blocked");
        }
        QCOMPARE(describeOutcome(reading.get()), describeOutcome(FileOutcome::NotRegular));
    }

    void unreadableFile()
    {
        // The folder is open to all, the file readable by nobody but root.
        QVERIFY(QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner | QFileDevice::ExeOther));
        const QString file = write(Head + "ABCDEFGHx\r\n");
        QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
        if (::geteuid() != 0) {
            RecordTable table;
            QCOMPARE(describeOutcome(ReadDataFile(file, table)), describeOutcome(FileOutcome::CannotRead));
            QCOMPARE(table.DataCount(), 0);
            return;
        }
        // Root reads any file: read it as an ordinary user instead.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            RecordTable table;
            const FileOutcome outcome = ReadDataFile(file, table);
            ::_exit(outcome == FileOutcome::CannotRead && table.DataCount() == 0 ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void fileChangedWhileListed()
    {
        // The list stays as it is while its files change between reloads.
        const QString file = write(Head + "AAAAAAAA1\r\nAAAAAAAA2\r\nAAAAAAAA3\r\n");
        const QString other = write("QUENTAR@V2\r\n\\T\r\nBBBBBBBB1\r\n");
        const QStringList list{QString(), file, other};
        RecordTable table;
        const auto reload = [&] {
            const auto results = FileReload(table, list, 2);
            return describeOutcome(results.front().outcome) + u' ' + QString::number(results.front().records);
        };
        QCOMPARE(reload(), u"read 3"_s);

        const auto cut = [&](qsizetype size) { QVERIFY(QFile::resize(file, size)); };
        cut(QByteArray(Head + "AAAAAAAA1\r\nAAAAA").size());  // in the middle of a line
        QCOMPARE(reload(), u"read 1"_s);
        QCOMPARE(joinedLines(table), (QStringList{u"AAAAAAAAS1"_s, u"BBBBBBBBT1"_s}));
        cut(Head.size() - 2);  // the section line's end gone
        QCOMPARE(reload(), u"read 0"_s);
        cut(12);  // the header line alone
        QCOMPARE(reload(), describeOutcome(FileOutcome::NoSectionLine) + u" 0"_s);
        cut(5);  // in the middle of the header
        QCOMPARE(reload(), describeOutcome(FileOutcome::WrongHeader) + u" 0"_s);
        cut(0);
        QCOMPARE(reload(), describeOutcome(FileOutcome::NoSectionLine) + u" 0"_s);

        // Replaced by another file, then by a folder and a FIFO under the same name.
        QVERIFY(QFile::remove(file));
        QVERIFY(QFile::copy(other, file));
        QCOMPARE(reload(), u"read 1"_s);
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkdir(file));
        QCOMPARE(reload(), describeOutcome(FileOutcome::NotRegular) + u" 0"_s);
        QVERIFY(QDir().rmdir(file));
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        QCOMPARE(reload(), describeOutcome(FileOutcome::NotRegular) + u" 0"_s);
        QVERIFY(QFile::remove(file));
        QCOMPARE(reload(), describeOutcome(FileOutcome::NotRegular) + u" 0"_s);
        QCOMPARE(joinedLines(table), (QStringList{u"BBBBBBBBT1"_s}));
    }

    void hugeFileOfAnythingElse()
    {
        // 64 GB that are not a data file, more than the machine's memory: a
        // sparse file, so the test costs no disk. Reading it whole, or making
        // room for it, would fail.
        const QString huge = write(QByteArrayLiteral("PK\x03\x04 an archive"));
        QVERIFY(QFile::resize(huge, qint64(64) << 30));
        const QString good = write(Head + "ABCDEFGHx\r\n");
        RecordTable table;
        QCOMPARE(describeOutcome(ReadDataFile(huge, table)), describeOutcome(FileOutcome::WrongHeader));
        const auto results = FileReload(table, {QString(), huge, good, huge}, 3);
        QCOMPARE(joinedLines(table), (QStringList{u"ABCDEFGHSx"_s}));
        QCOMPARE(describeOutcome(results[2].outcome), describeOutcome(FileOutcome::WrongHeader));
        QVERIFY(QFile::remove(huge));
    }

    void veryLongLine()
    {
        // One record line of 20 million double-byte characters between two short ones.
        constexpr qsizetype Long = 20'000'000;
        QByteArray bytes = Head + "AAAAAAAA1\r\nLLLLLLLL";
        bytes.reserve(bytes.size() + 2 * Long + 32);
        for (qsizetype i = 0; i < Long; ++i)
            bytes += "\x82\xa0";  // あ
        bytes += "\r\nZZZZZZZZ2";
        const QString file = write(bytes);
        bytes.clear();

        RecordTable table;
        QCOMPARE(describeOutcome(ReadDataFile(file, table)), describeOutcome(FileOutcome::Read));
        QCOMPARE(table.DataCount(), 3);
        QCOMPARE(table.DataTexts(2).size(), 1 + Long);
        QCOMPARE(table.DataTexts(2).first(3), u"Sああ"_s);
        QCOMPARE(table.DataTexts(2).back(), u'あ');
        QCOMPARE(table.joinedLine(3), u"ZZZZZZZZS2"_s);
        QVERIFY(QFile::remove(file));
    }

    void fileIsLeftAsItWas()
    {
        const QByteArray bytes = Head + "ABCDEFGHx\r\n";
        const QString file = write(bytes);
        const QDateTime modified = QFileInfo(file).lastModified();
        RecordTable table;
        ReadDataFile(file, table);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
        QCOMPARE(QFileInfo(file).lastModified(), modified);
    }

    void reload()
    {
        const QString a = write(Head + "AAAAAAAA1\r\nAAAAAAAA2\r\n");
        const QString b = write("QUENTAR@V2\r\n\\T\r\nBBBBBBBB1\r\n");
        const QString wrong = write("QUENTAR@V3\r\n\\T\r\nBBBBBBBB1\r\n");
        const QString empty = write(Head);
        const QString missing = path(QStringLiteral("missing.qnr"));

        RecordTable table;
        auto results = FileReload(table, {QString(), a, wrong, b, missing, a, empty}, 6);
        QCOMPARE(joinedLines(table), (QStringList{u"AAAAAAAAS1"_s, u"AAAAAAAAS2"_s, u"BBBBBBBBT1"_s,
                                                  u"AAAAAAAAS1"_s, u"AAAAAAAAS2"_s}));
        QCOMPARE(table.DataNums(3).toString(), u"BBBBBBBB"_s);
        QCOMPARE(table.DataTexts(4).toString(), u"S1"_s);

        QCOMPARE(results.size(), size_t(6));
        const QList<FileOutcome> outcomes{FileOutcome::Read, FileOutcome::WrongHeader, FileOutcome::Read,
                                          FileOutcome::NotRegular, FileOutcome::Read, FileOutcome::Read};
        const QList<qsizetype> records{2, 0, 1, 0, 2, 0};
        const QStringList names{a, wrong, b, missing, a, empty};
        for (size_t i = 0; i < results.size(); ++i) {
            QCOMPARE(results[i].fileName, names[qsizetype(i)]);
            QCOMPARE(describeOutcome(results[i].outcome), describeOutcome(outcomes[qsizetype(i)]));
            QCOMPARE(results[i].records, records[qsizetype(i)]);
        }

        // Entry 0 is not a file; only entries 1..DataFileCount are read.
        results = FileReload(table, {a, b, a}, 1);
        QCOMPARE(joinedLines(table), (QStringList{u"BBBBBBBBT1"_s}));
        QCOMPARE(results.size(), size_t(1));

        // A count beyond the list: the missing entries are empty paths.
        results = FileReload(table, {QString(), b}, 3);
        QCOMPARE(table.DataCount(), 1);
        QCOMPARE(results.size(), size_t(3));
        QCOMPARE(results[1].fileName, QString());
        QCOMPARE(describeOutcome(results[2].outcome), describeOutcome(FileOutcome::NotRegular));

        // Every reload starts from nothing.
        results = FileReload(table, {QString(), missing, wrong}, 2);
        QCOMPARE(table.DataCount(), 0);
        results = FileReload(table, {QString(), a}, 0);
        QCOMPARE(table.DataCount(), 0);
        QVERIFY(results.empty());
        QVERIFY(table.DataNums(1).isEmpty());
        results = FileReload(table, {}, -1);
        QCOMPARE(table.DataCount(), 0);
        QVERIFY(results.empty());
    }

    void japanSet()
    {
        const QDir dir(QStringLiteral(PELLARIN_SAMPLES_DIR));
        QStringList files{QString()};
        for (const QString &name : dir.entryList({QStringLiteral("*.qnr")}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
        QCOMPARE(files.size(), 48);

        RecordTable table;
        const auto results = FileReload(table, files, files.size() - 1);
        QCOMPARE(table.DataCount(), 120663);
        qsizetype sum = 0;
        for (const FileLoadResult &r : results) {
            QCOMPARE(describeOutcome(r.outcome), describeOutcome(FileOutcome::Read));
            QVERIFY2(r.records > 0, qPrintable(r.fileName));
            sum += r.records;
        }
        QCOMPARE(sum, 120663);

        QCOMPARE(table.DataNums(1).toString(), u"001-0000"_s);
        QCOMPARE(table.DataTexts(1).toString(), u"北海道札幌市北区"_s);
        QCOMPARE(table.DataNums(120663).toString(), u"907-1801"_s);
        QCOMPARE(table.DataTexts(120663).toString(), u"沖縄県八重山郡与那国町与那国"_s);

        // Every number field is a postal number: nothing was split off elsewhere.
        for (qsizetype i = 1; i <= table.DataCount(); ++i) {
            const QStringView n = table.DataNums(i);
            if (n.size() != 8 || n[3] != u'-' || table.DataTexts(i).contains(u'\uFFFD'))
                QFAIL(qPrintable(QStringLiteral("record %1: %2").arg(i).arg(table.joinedLine(i))));
        }
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "test_datafile.moc"
