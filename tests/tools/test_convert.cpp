// pellarin-convert from the outside: the files it writes, its messages and exit codes.

#include "data/datafile.h"
#include "fixtures.h"

#include <QDir>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {
struct Run {
    int code = -1;
    QString out, err;
};

Run convert(const QStringList &args, const QString &workDir = {})
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(PELLARIN_CONVERT), args);
    if (!p.waitForFinished(120000))
        qFatal("pellarin-convert did not finish");
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// One KEN_ALL row: the kana and flag columns carry placeholders.
QString row(const QString &gov, const QString &number, const QString &pref, const QString &city, const QString &town,
            const QString &townKana = QStringLiteral("ｱ"))
{
    return gov + QStringLiteral(",\"") + number.left(3) + QStringLiteral("  \",\"") + number + QStringLiteral("\",\"ｱ\",\"ｲ\",\"") + townKana +
           QStringLiteral("\",\"") + pref + QStringLiteral("\",\"") + city + QStringLiteral("\",\"") + town +
           QStringLiteral("\",0,0,0,0,0,0");
}

QString lines(const QStringList &l, const QString &end = QStringLiteral("\r\n"))
{
    return l.join(end) + end;
}

// A data file as the tool should write it.
QByteArray dataFile(const QString &pref, const QStringList &records)
{
    return fixtures::cp932(lines(QStringList{QStringLiteral("QUENTAR@V2"), u';' + pref + QStringLiteral(" postal codes"), u'\\' + pref} + records));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString Hokkaido = QStringLiteral("北海道");
const QString Tokyo = QStringLiteral("東京都");
const QString Ibaraki = QStringLiteral("茨城県");
const QString Sapporo = QStringLiteral("札幌市中央区");

// Rows of three prefectures, out of order, with the cases the rules cover.
QStringList fixtureRows(const QString &tilde = QStringLiteral("～"))
{
    return {
        row(QStringLiteral("13101"), QStringLiteral("1000005"), Tokyo, QStringLiteral("千代田区"), QStringLiteral("丸の内（次のビルを除く）")),
        row(QStringLiteral("13101"), QStringLiteral("1000000"), Tokyo, QStringLiteral("千代田区"), QStringLiteral("以下に掲載がない場合")),
        row(QStringLiteral("01101"), QStringLiteral("0600042"), Hokkaido, Sapporo, QStringLiteral("大通西（１") + tilde + QStringLiteral("１９丁目）")),
        // One town area over three rows.
        row(QStringLiteral("01101"), QStringLiteral("0640941"), Hokkaido, Sapporo, QStringLiteral("旭ケ丘（１、")),
        row(QStringLiteral("01101"), QStringLiteral("0640941"), Hokkaido, Sapporo, QStringLiteral("２丁目、")),
        row(QStringLiteral("01101"), QStringLiteral("0640941"), Hokkaido, Sapporo, QStringLiteral("３丁目）")),
        // Same number again: stays after the joined one. A kana column with a comma and a quote.
        row(QStringLiteral("01101"), QStringLiteral("0640941"), Hokkaido, Sapporo, QStringLiteral("宮の森"), QStringLiteral("ﾐﾔ,\"\"ﾉﾓﾘ")),
        QString(),
        row(QStringLiteral("13362"), QStringLiteral("1001301"), Tokyo, QStringLiteral("御蔵島村"), QStringLiteral("御蔵島村一円")),
        row(QStringLiteral("08542"), QStringLiteral("3060434"), Ibaraki, QStringLiteral("猿島郡境町"), QStringLiteral("長井戸の次に番地がくる場合")),
        row(QStringLiteral("08542"), QStringLiteral("3060433"), Ibaraki, QStringLiteral("猿島郡境町"), QStringLiteral("境町の次に番地がくる場合")),
        // An exact repeat of an earlier record.
        row(QStringLiteral("13101"), QStringLiteral("1000000"), Tokyo, QStringLiteral("千代田区"), QStringLiteral("以下に掲載がない場合")),
        row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, Sapporo, QStringLiteral("以下に掲載がない場合")),
    };
}

const QStringList HokkaidoRecords{
    QStringLiteral("060-0000札幌市中央区"),
    QStringLiteral("060-0042札幌市中央区大通西（１～１９丁目）"),
    QStringLiteral("064-0941札幌市中央区旭ケ丘（１、２丁目、３丁目）"),
    QStringLiteral("064-0941札幌市中央区宮の森"),
};
const QStringList IbarakiRecords{QStringLiteral("306-0433猿島郡境町"), QStringLiteral("306-0434猿島郡境町長井戸")};
const QStringList TokyoRecords{
    QStringLiteral("100-0000千代田区"),
    QStringLiteral("100-0005千代田区丸の内（次のビルを除く）"),
    QStringLiteral("100-1301御蔵島村御蔵島村一円"),
};
const QString Summary = QStringLiteral("pellarin-convert: 3 files, 9 records (12 rows) written to ");
}

class TestConvert : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    void checkFixtureOutput(const QString &out)
    {
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral("01.qnr"), QStringLiteral("08.qnr"), QStringLiteral("13.qnr")}));
        QCOMPARE(readAll(out + QStringLiteral("/01.qnr")), dataFile(Hokkaido, HokkaidoRecords));
        QCOMPARE(readAll(out + QStringLiteral("/08.qnr")), dataFile(Ibaraki, IbarakiRecords));
        QCOMPARE(readAll(out + QStringLiteral("/13.qnr")), dataFile(Tokyo, TokyoRecords));
    }

private Q_SLOTS:
    void convertsShiftJis()
    {
        const QString csv = fixtures::writeBytes(m_dir.path(), QStringLiteral("ken_all.csv"), fixtures::cp932(lines(fixtureRows())));
        const QString out = path(QStringLiteral("sjis/out"));  // created with its parent
        const Run r = convert({csv, out});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, Summary + out + u'\n');
        QCOMPARE(r.out, QString());
        checkFixtureOutput(out);

        // The project's reader takes the files as they are.
        RecordTable table;
        const QStringList files{QString(), out + QStringLiteral("/01.qnr"), out + QStringLiteral("/08.qnr"), out + QStringLiteral("/13.qnr")};
        for (const FileLoadResult &f : FileReload(table, files, 3))
            QCOMPARE(f.outcome, FileOutcome::Read);
        QStringList loaded;
        for (qsizetype i = 1; i <= table.DataCount(); ++i)
            loaded += table.DataNums(i).toString() + u'|' + table.DataTexts(i).toString();
        QCOMPARE(loaded, (QStringList{
                             QStringLiteral("060-0000|北海道札幌市中央区"),
                             QStringLiteral("060-0042|北海道札幌市中央区大通西（１～１９丁目）"),
                             QStringLiteral("064-0941|北海道札幌市中央区旭ケ丘（１、２丁目、３丁目）"),
                             QStringLiteral("064-0941|北海道札幌市中央区宮の森"),
                             QStringLiteral("306-0433|茨城県猿島郡境町"),
                             QStringLiteral("306-0434|茨城県猿島郡境町長井戸"),
                             QStringLiteral("100-0000|東京都千代田区"),
                             QStringLiteral("100-0005|東京都千代田区丸の内（次のビルを除く）"),
                             QStringLiteral("100-1301|東京都御蔵島村御蔵島村一円"),
                         }));
    }

    void convertsUtf8()
    {
        // BOM, LF line ends and the JIS mapping's wave dash (U+301C) give the same files.
        const QByteArray utf8 = "\xEF\xBB\xBF" + lines(fixtureRows(QStringLiteral("\u301c")), QStringLiteral("\n")).toUtf8();
        const QString csv = fixtures::writeBytes(m_dir.path(), QStringLiteral("utf_ken_all.csv"), utf8);
        const QString out = path(QStringLiteral("utf8"));
        const Run r = convert({QStringLiteral("--utf8"), csv, out});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, Summary + out + u'\n');
        checkFixtureOutput(out);

        // Without --utf8 the input is refused, not misread.
        const QString other = path(QStringLiteral("utf8-refused"));
        const Run refused = convert({csv, other});
        QCOMPARE(refused.code, 1);
        QCOMPARE(refused.err, QStringLiteral("pellarin-convert: ") + csv + QStringLiteral(": the input is UTF-8, not Shift-JIS (use --utf8)\n"));
        QVERIFY(!QFileInfo::exists(other));
    }

    void replacesOnlyItsOwnFiles()
    {
        const QString out = path(QStringLiteral("existing"));
        QVERIFY(QDir().mkpath(out));
        fixtures::writeBytes(out, QStringLiteral("13.qnr"), "old");
        fixtures::writeBytes(out, QStringLiteral("47.qnr"), "kept");
        const QString csv = fixtures::writeBytes(
            m_dir.path(), QStringLiteral("tokyo.csv"),
            fixtures::cp932(lines({row(QStringLiteral("13101"), QStringLiteral("1000000"), Tokyo, QStringLiteral("千代田区"), QStringLiteral("以下に掲載がない場合"))})));
        QCOMPARE(convert({csv, out}).code, 0);
        QCOMPARE(readAll(out + QStringLiteral("/13.qnr")), dataFile(Tokyo, {QStringLiteral("100-0000千代田区")}));
        QCOMPARE(readAll(out + QStringLiteral("/47.qnr")), QByteArray("kept"));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // The bundled files, turned into rows in reverse order, come back byte for byte.
    void roundTripsBundledData()
    {
        QStringList rows;
        QStringList names;
        for (const QFileInfo &fi : QDir(QStringLiteral(PELLARIN_SAMPLES_DIR)).entryInfoList({QStringLiteral("*.qnr")}, QDir::Files, QDir::Name)) {
            names += fi.fileName();
            QStringDecoder dec("windows-31j");
            const QStringList l = QString(dec(readAll(fi.filePath()))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            QVERIFY(!dec.hasError() && l.size() > 3);
            const QString pref = l[2].mid(1);
            for (qsizetype i = 3; i < l.size(); ++i) {
                QString number = l[i].left(8);
                number.remove(3, 1);
                rows += row(fi.fileName().left(2) + QStringLiteral("000"), number, pref, l[i].mid(8), QStringLiteral("以下に掲載がない場合"));
            }
        }
        QCOMPARE(names.size(), 47);
        std::reverse(rows.begin(), rows.end());
        const QString csv = fixtures::writeBytes(m_dir.path(), QStringLiteral("bundled.csv"), fixtures::cp932(lines(rows)));
        const QString out = path(QStringLiteral("bundled"));
        const Run r = convert({csv, out});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QStringLiteral("pellarin-convert: 47 files, 120663 records (120663 rows) written to ") + out + u'\n');
        QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name), names);
        for (const QString &n : names)
            QVERIFY2(readAll(out + u'/' + n) == readAll(QStringLiteral(PELLARIN_SAMPLES_DIR) + u'/' + n), qPrintable(n));
    }

    void malformedInput_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("error");  // after "pellarin-convert: FILE"

        const QString ok = row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, Sapporo, QStringLiteral("以下に掲載がない場合"));
        auto sjis = [&](const QStringList &l) { return fixtures::cp932(lines(l)); };
        auto town = [&](const QString &number, const QString &t) { return row(QStringLiteral("01101"), number, Hokkaido, Sapporo, t); };
        QString fourteen = ok;
        fourteen.chop(2);

        QTest::newRow("columns") << sjis({ok, fourteen}) << false << QStringLiteral(":2: expected 15 columns, found 14");
        QTest::newRow("postal code") << sjis({town(QStringLiteral("060000"), QStringLiteral("旭ケ丘"))}) << false
                                     << QStringLiteral(":1: column 3: postal code \"060000\" is not 7 digits");
        QTest::newRow("government code") << sjis({QStringLiteral("0110") + ok.mid(5)}) << false
                                         << QStringLiteral(":1: column 1: local government code \"0110\" is not 5 digits");
        QTest::newRow("prefecture code") << sjis({ok, QStringLiteral("48101") + ok.mid(5)}) << false
                                         << QStringLiteral(":2: column 1: no prefecture has the code 48");
        QTest::newRow("unclosed quote") << sjis({ok, ok.left(ok.size() - 20)}) << false << QStringLiteral(":2: column 9: unclosed quote");
        QTest::newRow("text after quote") << sjis({QStringLiteral("01101,\"060\"x") + ok.mid(13)}) << false
                                          << QStringLiteral(":1: column 2: text after the closing quote");
        QTest::newRow("no city") << sjis({row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, QStringLiteral(" "), QString())}) << false
                                 << QStringLiteral(":1: column 8: no city");
        QTest::newRow("control character") << sjis({ok, town(QStringLiteral("0600001"), QStringLiteral("北\t一条"))}) << false
                                           << QStringLiteral(":2: control character U+0009");
        QTest::newRow("lone CR") << sjis({ok + QStringLiteral("\r") + ok}) << false << QStringLiteral(":1: control character U+000D");
        QTest::newRow("not code page 932") << sjis({ok, ok}) + "01101,\"\xff\"" << false << QStringLiteral(":3: not valid Shift-JIS (code page 932)");
        QTest::newRow("cut lead byte") << sjis({ok}) + "01101,\"\x82" << false << QStringLiteral(":2: not valid Shift-JIS (code page 932)");
        QTest::newRow("not UTF-8") << lines({ok, ok}).toUtf8() + "\xe6\x9d" << true << QStringLiteral(":3: not valid UTF-8");
        QTest::newRow("unencodable") << lines({ok, town(QStringLiteral("0600001"), QStringLiteral("森鷗外"))}).toUtf8() << true
                                     << QStringLiteral(":2: U+9DD7 has no Shift-JIS (code page 932) form");
        QTest::newRow("unencodable prefecture") << lines({ok, row(QStringLiteral("02201"), QStringLiteral("0300000"), QStringLiteral("\U0001F5FE"), Sapporo, QString())}).toUtf8()
                                                << true << QStringLiteral(":2: column 7: U+1F5FE has no Shift-JIS (code page 932) form");
        QTest::newRow("prefecture differs") << sjis({ok, row(QStringLiteral("01202"), QStringLiteral("0400000"), Tokyo, QStringLiteral("函館市"), QString())}) << false
                                            << QStringLiteral(":2: column 7: prefecture 東京都 differs from 北海道 of line 1 for code 01");
        QTest::newRow("area unclosed at end") << sjis({ok, town(QStringLiteral("0640941"), QStringLiteral("旭ケ丘（１、")), town(QStringLiteral("0640941"), QStringLiteral("２丁目、"))})
                                              << false << QStringLiteral(":2: town area \"旭ケ丘（１、２丁目、\" has no closing \"）\" before the end of the input");
        QTest::newRow("area unclosed, next number") << sjis({town(QStringLiteral("0640941"), QStringLiteral("旭ケ丘（１、")), town(QStringLiteral("0640942"), QStringLiteral("伏見"))})
                                                    << false << QStringLiteral(":1: town area \"旭ケ丘（１、\" has no closing \"）\" (line 2 starts another area)");
        QTest::newRow("area unclosed, next city") << sjis({town(QStringLiteral("0640941"), QStringLiteral("旭ケ丘（１、")),
                                                          row(QStringLiteral("01101"), QStringLiteral("0640941"), Hokkaido, QStringLiteral("札幌市北区"), QStringLiteral("２丁目）"))})
                                                  << false << QStringLiteral(":1: town area \"旭ケ丘（１、\" has no closing \"）\" (line 2 starts another area)");
        QTest::newRow("empty") << QByteArray("\r\n\r\n") << false << QStringLiteral(": no rows");
    }

    void malformedInput()
    {
        QFETCH(QByteArray, csv);
        QFETCH(bool, utf8);
        QFETCH(QString, error);
        const QString file = fixtures::writeBytes(m_dir.path(), QStringLiteral("bad.csv"), csv);
        const QString out = path(QStringLiteral("bad-out"));
        QStringList args{file, out};
        if (utf8)
            args.prepend(QStringLiteral("--utf8"));
        const Run r = convert(args);
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QStringLiteral("pellarin-convert: ") + file + error + u'\n');
        QVERIFY(!QFileInfo::exists(out));  // nothing written, not even the good prefectures
    }

    void fileErrors()
    {
        const QString csv = fixtures::writeBytes(m_dir.path(), QStringLiteral("one.csv"),
                                                 fixtures::cp932(lines({row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, Sapporo, QString())})));
        const QString missing = path(QStringLiteral("missing.csv"));
        Run r = convert({missing, path(QStringLiteral("x"))});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("pellarin-convert: ") + missing + QStringLiteral(": cannot read: ")) && r.err.count(u'\n') == 1, qPrintable(r.err));

        r = convert({csv, csv});  // the output directory is a file
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QStringLiteral("pellarin-convert: ") + csv + QStringLiteral(": cannot create the output directory\n"));

        // A path that looks like an option follows "--".
        const QString dashed = fixtures::writeBytes(m_dir.path(), QStringLiteral("-dash.csv"), readAll(csv));
        r = convert({QStringLiteral("--"), QStringLiteral("-dash.csv"), QStringLiteral("dashed")}, m_dir.path());
        QCOMPARE(r.code, 0);
        QVERIFY(QFileInfo::exists(path(QStringLiteral("dashed/01.qnr"))));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing") << QStringList{} << QStringLiteral("expected an input CSV file and an output directory, got 0 argument(s)");
        QTest::newRow("no outdir") << QStringList{QStringLiteral("a.csv")} << QStringLiteral("expected an input CSV file and an output directory, got 1 argument(s)");
        QTest::newRow("too many") << QStringList{QStringLiteral("a.csv"), QStringLiteral("o"), QStringLiteral("p")}
                                  << QStringLiteral("expected an input CSV file and an output directory, got 3 argument(s)");
        QTest::newRow("only --utf8") << QStringList{QStringLiteral("--utf8")} << QStringLiteral("expected an input CSV file and an output directory, got 0 argument(s)");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--sjis"), QStringLiteral("a.csv"), QStringLiteral("o")} << QStringLiteral("unknown option --sjis");
        QTest::newRow("empty path") << QStringList{QString(), QStringLiteral("o")} << QStringLiteral("empty path");
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        const Run r = convert(args);
        QCOMPARE(r.code, 2);
        QCOMPARE(r.err.section(u'\n', 0, 0), QStringLiteral("pellarin-convert: ") + error);
        QVERIFY(r.err.section(u'\n', 1, 1).startsWith(QStringLiteral("usage: pellarin-convert [--utf8] KEN_ALL.CSV OUTDIR")));
        QCOMPARE(r.out, QString());
    }

    void help()
    {
        const Run r = convert({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("usage: pellarin-convert [--utf8] KEN_ALL.CSV OUTDIR\n")));
        QVERIFY(r.out.contains(QStringLiteral("以下に掲載がない場合")));
        QCOMPARE(r.err, QString());
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "test_convert.moc"
