// pellarin-convert from the outside: the files it writes, its messages and exit codes.

#include "data/datafile.h"
#include "search/searchengine.h"
#include "fixtures.h"

#include <QDir>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

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

// One row of Japan Post's CSV; the kana and flag columns hold placeholders.
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

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A data file as the tool should write it.
QByteArray dataFile(const QString &source, const QString &pref, const QStringList &records)
{
    return fixtures::cp932(lines(QStringList{QStringLiteral("QUENTAR@V2"), QStringLiteral(";source: ") + source, u'\\' + pref} + records));
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

const QString Hokkaido = QStringLiteral("北海道");
const QString Tokyo = QStringLiteral("東京都");
const QString Shiga = QStringLiteral("滋賀県");
const QString Sapporo = QStringLiteral("札幌市中央区");
const QString Chiyoda = QStringLiteral("千代田区");

// A town and the rows the classic form spreads it over.
struct Entry {
    QString gov, number, pref, city;
    QStringList pieces;
};

// Three prefectures interleaved, numbers out of order, with split towns and
// each cleaning rule. `tilde` is the wave dash as the input spells it.
std::vector<Entry> fixtureEntries(const QString &tilde)
{
    const QString n1 = QStringLiteral("0600001");
    return {
        {QStringLiteral("13101"), QStringLiteral("1000005"), Tokyo, Chiyoda, {QStringLiteral("丸の内（次のビルを除く）")}},
        {QStringLiteral("13101"), QStringLiteral("1000000"), Tokyo, Chiyoda, {QStringLiteral("以下に掲載がない場合")}},
        {QStringLiteral("01101"), QStringLiteral("0600042"), Hokkaido, Sapporo, {QStringLiteral("大通西（１") + tilde + QStringLiteral("１９丁目）")}},
        // One town over three rows, then another of the same number over two.
        {QStringLiteral("01101"), QStringLiteral("0640941"), Hokkaido, Sapporo,
         {QStringLiteral("旭ケ丘（１、"), QStringLiteral("２丁目、"), QStringLiteral("３丁目）")}},
        {QStringLiteral("01101"), QStringLiteral("0640941"), Hokkaido, Sapporo, {QStringLiteral("宮の森（１条、"), QStringLiteral("２条）")}},
        {QStringLiteral("25443"), QStringLiteral("5220317"), Shiga, QStringLiteral("犬上郡多賀町"), {QStringLiteral("一円")}},
        {QStringLiteral("13362"), QStringLiteral("1001301"), Tokyo, QStringLiteral("御蔵島村"), {QStringLiteral("御蔵島村一円")}},
        {QStringLiteral("13101"), QStringLiteral("1000099"), Tokyo, Chiyoda, {QStringLiteral("永田町の次に番地がくる場合")}},
        // The same once the notes are gone.
        {QStringLiteral("01101"), n1, Hokkaido, Sapporo, {QStringLiteral("北一条西（１") + tilde + QStringLiteral("１９丁目）")}},
        {QStringLiteral("01101"), n1, Hokkaido, Sapporo, {QStringLiteral("北一条西（２０") + tilde + QStringLiteral("２８丁目）")}},
        // A nested note, text after it.
        {QStringLiteral("01101"), QStringLiteral("0600041"), Hokkaido, Sapporo, {QStringLiteral("大通東（１（２）３）西")}},
        // An exact repeat.
        {QStringLiteral("13101"), QStringLiteral("1000000"), Tokyo, Chiyoda, {QStringLiteral("以下に掲載がない場合")}},
    };
}

// Classic form: a row per piece. The kana column of one row holds a comma and a quote.
QByteArray classicCsv()
{
    QStringList rows;
    for (const Entry &e : fixtureEntries(QStringLiteral("～")))
        for (const QString &piece : e.pieces)
            rows += row(e.gov, e.number, e.pref, e.city, piece, rows.size() == 4 ? QStringLiteral("ﾐﾔ,\"\"ﾉﾓﾘ") : QStringLiteral("ｱ"));
    return fixtures::cp932(lines(rows));
}

// UTF-8 form: a row per town, the JIS mapping's wave dash U+301C.
QByteArray utf8Csv(bool bom, const QString &end)
{
    QStringList rows;
    for (const Entry &e : fixtureEntries(QStringLiteral("\u301c")))
        rows += row(e.gov, e.number, e.pref, e.city, e.pieces.join(QString()));
    return (bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + lines(rows, end).toUtf8();
}

// The fixture's records, by file.
QList<std::pair<QString, QStringList>> fixtureRecords(bool keepNotes)
{
    if (keepNotes)
        return {
            {Hokkaido,
             {QStringLiteral("060-0042札幌市中央区大通西（１～１９丁目）"), QStringLiteral("064-0941札幌市中央区旭ケ丘（１、２丁目、３丁目）"),
              QStringLiteral("064-0941札幌市中央区宮の森（１条、２条）"), QStringLiteral("060-0001札幌市中央区北一条西（１～１９丁目）"),
              QStringLiteral("060-0001札幌市中央区北一条西（２０～２８丁目）"), QStringLiteral("060-0041札幌市中央区大通東（１（２）３）西")}},
            {Tokyo,
             {QStringLiteral("100-0005千代田区丸の内（次のビルを除く）"), QStringLiteral("100-0000千代田区"), QStringLiteral("100-1301御蔵島村"),
              QStringLiteral("100-0099千代田区")}},
            {Shiga, {QStringLiteral("522-0317犬上郡多賀町一円")}},
        };
    return {
        {Hokkaido,
         {QStringLiteral("060-0042札幌市中央区大通西"), QStringLiteral("064-0941札幌市中央区旭ケ丘"), QStringLiteral("064-0941札幌市中央区宮の森"),
          QStringLiteral("060-0001札幌市中央区北一条西"), QStringLiteral("060-0041札幌市中央区大通東西")}},
        {Tokyo,
         {QStringLiteral("100-0005千代田区丸の内"), QStringLiteral("100-0000千代田区"), QStringLiteral("100-1301御蔵島村"),
          QStringLiteral("100-0099千代田区")}},
        {Shiga, {QStringLiteral("522-0317犬上郡多賀町一円")}},
    };
}

const QStringList FixtureFiles{QStringLiteral("01.qnr"), QStringLiteral("13.qnr"), QStringLiteral("25.qnr")};

// The records the project's loader reads from files, as "number|text".
QStringList loadedRecords(const QStringList &files)
{
    RecordTable table;
    for (const FileLoadResult &f : FileReload(table, QStringList{QString()} + files, files.size()))
        if (f.outcome != FileOutcome::Read)
            return {QStringLiteral("not read: ") + f.fileName};
    QStringList loaded;
    for (qsizetype i = 1; i <= table.DataCount(); ++i)
        loaded += table.DataNums(i).toString() + u'|' + table.DataTexts(i).toString();
    return loaded;
}
}

class TestConvert : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    int m_serial = 0;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    // A fresh folder name for each run.
    QString freshPath(const QString &stem) { return path(stem + QString::number(++m_serial)); }

private Q_SLOTS:
    void convertsBothForms_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("keepNotes");
        QTest::addColumn<QString>("summary");
        const QString ken = QStringLiteral("KEN_ALL.CSV");
        const QString utf = QStringLiteral("utf_ken_all.csv");
        QTest::newRow("classic") << classicCsv() << ken << false
                                 << QStringLiteral("3 files written, 10 records, 3 rows joined, 2 duplicates dropped");
        QTest::newRow("classic, notes kept") << classicCsv() << ken << true
                                             << QStringLiteral("3 files written, 11 records, 3 rows joined, 1 duplicate dropped");
        QTest::newRow("UTF-8, BOM, LF") << utf8Csv(true, QStringLiteral("\n")) << utf << false
                                        << QStringLiteral("3 files written, 10 records, 0 rows joined, 2 duplicates dropped");
        QTest::newRow("UTF-8, CR LF, notes kept") << utf8Csv(false, QStringLiteral("\r\n")) << utf << true
                                                  << QStringLiteral("3 files written, 11 records, 0 rows joined, 1 duplicate dropped");
    }

    void convertsBothForms()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, name);
        QFETCH(bool, keepNotes);
        QFETCH(QString, summary);
        const QString input = fixtures::writeBytes(m_dir.path(), name, csv);
        const QString out = freshPath(QStringLiteral("forms")) + QStringLiteral("/a/out");  // created with its parents
        QStringList args{QStringLiteral("--out"), out, input};
        if (keepNotes)
            args.prepend(QStringLiteral("--keep-notes"));
        const Run r = convert(args);
        QCOMPARE(r.err, summary + u'\n');
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString());
        QCOMPARE(filesIn(out), FixtureFiles);

        const auto expected = fixtureRecords(keepNotes);
        QStringList files, joined;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            files += out + u'/' + FixtureFiles[i];
            QCOMPARE(readAll(files.back()), dataFile(name, expected[i].first, expected[i].second));
            for (const QString &record : expected[i].second)
                joined += record.left(8) + u'|' + expected[i].first + record.mid(8);
        }
        // The loader reads back exactly the records reported.
        const QStringList loaded = loadedRecords(files);
        QCOMPARE(loaded, joined);
        QCOMPARE(QString::number(loaded.size()) + QStringLiteral(" records"), summary.section(QStringLiteral(", "), 1, 1));

        // And the window's search finds them.
        RecordTable table;
        FileReload(table, QStringList{QString()} + files, files.size());
        SearchIndex index;
        index.rebuild(table);
        QStringList found;
        for (std::uint32_t r : index.search(u"千代田").hits)
            found += resultLine(table, r);
        QStringList want;
        for (const QString &record : expected[1].second)
            if (record.contains(u"千代田"))
                want += record.left(8) + u'\t' + expected[1].first + record.mid(8);
        want.sort();
        QCOMPARE(found, want);
    }

    // A note that no row closes: the rows joined so far are one record.
    void unclosedNote_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("keepNotes");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QString>("messages");  // "$" stands for the input's path

        auto town = [](const QString &number, const QString &t) { return row(QStringLiteral("01101"), number, Hokkaido, Sapporo, t); };
        const QString n = QStringLiteral("0640941");
        QTest::newRow("number changes") << QStringList{town(n, QStringLiteral("旭ケ丘（１、")), town(n, QStringLiteral("２丁目、")),
                                                       town(QStringLiteral("0640942"), QStringLiteral("伏見"))}
                                        << false << QStringList{QStringLiteral("064-0941札幌市中央区旭ケ丘"), QStringLiteral("064-0942札幌市中央区伏見")}
                                        << QStringLiteral("pellarin-convert: $:1: warning: town \"旭ケ丘（１、２丁目、\" has no closing \"）\"; its 2 rows are kept as one record\n"
                                                          "1 file written, 2 records, 1 row joined, 0 duplicates dropped\n");
        // The new city's row opens its own record; its stray "）" is text.
        QTest::newRow("city changes") << QStringList{town(n, QStringLiteral("旭ケ丘（１、")),
                                                     row(QStringLiteral("01102"), n, Hokkaido, QStringLiteral("札幌市北区"), QStringLiteral("２丁目）"))}
                                      << false << QStringList{QStringLiteral("064-0941札幌市中央区旭ケ丘"), QStringLiteral("064-0941札幌市北区２丁目）")}
                                      << QStringLiteral("pellarin-convert: $:1: warning: town \"旭ケ丘（１、\" has no closing \"）\"\n"
                                                        "1 file written, 2 records, 0 rows joined, 0 duplicates dropped\n");
        QTest::newRow("input ends, notes kept")
            << QStringList{town(QStringLiteral("0600000"), QStringLiteral("以下に掲載がない場合")), town(n, QStringLiteral("旭ケ丘（１、")),
                           town(n, QStringLiteral("２丁目、"))}
            << true << QStringList{QStringLiteral("060-0000札幌市中央区"), QStringLiteral("064-0941札幌市中央区旭ケ丘（１、２丁目、")}
            << QStringLiteral("pellarin-convert: $:2: warning: town \"旭ケ丘（１、２丁目、\" has no closing \"）\"; its 2 rows are kept as one record\n"
                              "1 file written, 2 records, 1 row joined, 0 duplicates dropped\n");
    }

    void unclosedNote()
    {
        QFETCH(QStringList, rows);
        QFETCH(bool, keepNotes);
        QFETCH(QStringList, records);
        QFETCH(QString, messages);
        const QString input = fixtures::writeBytes(m_dir.path(), QStringLiteral("open.csv"), fixtures::cp932(lines(rows)));
        const QString out = freshPath(QStringLiteral("open"));
        QStringList args{QStringLiteral("--out=") + out, input};
        if (keepNotes)
            args.prepend(QStringLiteral("--keep-notes"));
        const Run r = convert(args);
        QCOMPARE(r.err, QString(messages).replace(u'$', input));
        QCOMPARE(r.code, 0);
        QCOMPARE(readAll(out + QStringLiteral("/01.qnr")), dataFile(QStringLiteral("open.csv"), Hokkaido, records));
    }

    // Inputs add up in the order given, whatever their form; a record repeated
    // by a later input is dropped; files of other prefectures stay.
    void mergesInputs()
    {
        const QString out = path(QStringLiteral("merged"));
        QVERIFY(QDir().mkpath(out));
        fixtures::writeBytes(out, QStringLiteral("13.qnr"), "old");
        fixtures::writeBytes(out, QStringLiteral("47.qnr"), "kept");
        const QString wholeCity = QStringLiteral("以下に掲載がない場合");
        const QString a = fixtures::writeBytes(
            m_dir.path(), QStringLiteral("a.csv"),
            fixtures::cp932(lines({row(QStringLiteral("13101"), QStringLiteral("1000000"), Tokyo, Chiyoda, wholeCity),
                                   row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, Sapporo, wholeCity)})));
        const QString b = fixtures::writeBytes(
            m_dir.path(), QStringLiteral("b.csv"),
            lines({row(QStringLiteral("13101"), QStringLiteral("1000001"), Tokyo, Chiyoda, QStringLiteral("千代田")),
                   row(QStringLiteral("13101"), QStringLiteral("1000000"), Tokyo, Chiyoda, wholeCity),
                   row(QStringLiteral("02201"), QStringLiteral("0300000"), QStringLiteral("青森県"), QStringLiteral("青森市"), wholeCity)},
                  QStringLiteral("\n"))
                .toUtf8());
        const Run r = convert({QStringLiteral("--out"), out, a, b});
        QCOMPARE(r.err, QStringLiteral("3 files written, 4 records, 0 rows joined, 1 duplicate dropped\n"));
        QCOMPARE(r.code, 0);
        QCOMPARE(filesIn(out), (QStringList{QStringLiteral("01.qnr"), QStringLiteral("02.qnr"), QStringLiteral("13.qnr"), QStringLiteral("47.qnr")}));
        QCOMPARE(readAll(out + QStringLiteral("/13.qnr")),
                 dataFile(QStringLiteral("a.csv, b.csv"), Tokyo, {QStringLiteral("100-0000千代田区"), QStringLiteral("100-0001千代田区千代田")}));
        QCOMPARE(readAll(out + QStringLiteral("/01.qnr")), dataFile(QStringLiteral("a.csv"), Hokkaido, {QStringLiteral("060-0000札幌市中央区")}));
        QCOMPARE(readAll(out + QStringLiteral("/02.qnr")), dataFile(QStringLiteral("b.csv"), QStringLiteral("青森県"), {QStringLiteral("030-0000青森市")}));
        QCOMPARE(readAll(out + QStringLiteral("/47.qnr")), QByteArray("kept"));
    }

    // The bundled files, turned into rows in file order, come back byte for
    // byte but for the comment line: a third of the records whole-city rows,
    // a third with a note split over two rows, split over two inputs.
    void roundTripsBundledData()
    {
        QStringList halves[2];
        QStringList names, sources;
        qsizetype records = 0, joined = 0;
        const QFileInfoList samples = QDir(QStringLiteral(PELLARIN_SAMPLES_DIR)).entryInfoList({QStringLiteral("*.qnr")}, QDir::Files, QDir::Name);
        for (const QFileInfo &fi : samples) {
            QStringDecoder dec("windows-31j");
            const QStringList l = QString(dec(readAll(fi.filePath()))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            QVERIFY(!dec.hasError() && l.size() > 3);
            const QString pref = l[2].mid(1);
            QSet<int> used;
            for (qsizetype i = 3; i < l.size(); ++i, ++records) {
                const int half = names.size() < 20 || (names.size() == 20 && i < l.size() / 2) ? 0 : 1;
                used.insert(half);
                QString number = l[i].left(8);
                number.remove(3, 1);
                auto add = [&](const QString &town) {
                    halves[half] += row(fi.fileName().left(2) + QStringLiteral("000"), number, pref, l[i].mid(8), town);
                };
                switch (records % 3) {
                case 0:
                    add(QStringLiteral("以下に掲載がない場合"));
                    break;
                case 1:
                    add(QString());
                    break;
                default:
                    add(QStringLiteral("（注、"));
                    add(QStringLiteral("続き）"));
                    ++joined;
                }
            }
            names += fi.fileName();
            sources += used.size() == 2 ? QStringLiteral("first.csv, second.csv") : used.contains(0) ? QStringLiteral("first.csv") : QStringLiteral("second.csv");
        }
        QCOMPARE(names.size(), 47);
        const QString first = fixtures::writeBytes(m_dir.path(), QStringLiteral("first.csv"), fixtures::cp932(lines(halves[0])));
        const QString second = fixtures::writeBytes(m_dir.path(), QStringLiteral("second.csv"), fixtures::cp932(lines(halves[1])));
        const QString out = path(QStringLiteral("bundled"));
        const Run r = convert({QStringLiteral("--out"), out, first, second});
        QCOMPARE(r.err, QStringLiteral("47 files written, 120663 records, %1 rows joined, 0 duplicates dropped\n").arg(joined));
        QCOMPARE(r.code, 0);
        QCOMPARE(filesIn(out), names);
        for (qsizetype i = 0; i < names.size(); ++i) {
            QList<QByteArray> written = readAll(out + u'/' + names[i]).split('\n');
            QList<QByteArray> bundled = readAll(QStringLiteral(PELLARIN_SAMPLES_DIR) + u'/' + names[i]).split('\n');
            QCOMPARE(written.takeAt(1), QByteArray(";source: ") + sources[i].toLatin1() + '\r');
            bundled.removeAt(1);
            QVERIFY2(written == bundled, qPrintable(names[i]));
        }
    }

    // Each fault fails the whole run: an earlier good input writes nothing
    // either, and the files already there stay as they were.
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("error");  // "$" stands for the input's path

        const QString ok = row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, Sapporo, QStringLiteral("以下に掲載がない場合"));
        auto sjis = [&](const QStringList &l) { return fixtures::cp932(lines(l)); };
        auto utf8 = [&](const QStringList &l) { return lines(l, QStringLiteral("\n")).toUtf8(); };
        auto town = [&](const QString &t) { return row(QStringLiteral("01101"), QStringLiteral("0600001"), Hokkaido, Sapporo, t); };
        QString fourteen = ok;
        fourteen.chop(2);

        QTest::newRow("14 columns") << sjis({ok, fourteen}) << QStringLiteral("$:2: expected 15 columns, found 14");
        QTest::newRow("16 columns") << sjis({ok + QStringLiteral(",0")}) << QStringLiteral("$:1: expected 15 columns, found 16");
        QTest::newRow("unterminated quote") << sjis({ok, ok.left(ok.indexOf(QStringLiteral("以下")) + 2)})
                                            << QStringLiteral("$:2: column 9: unterminated quote");
        QTest::newRow("text after quote") << sjis({QStringLiteral("01101,\"060\"x") + ok.mid(13)})
                                          << QStringLiteral("$:1: column 2: text after the closing quote");
        QTest::newRow("postal code short") << sjis({row(QStringLiteral("01101"), QStringLiteral("060000"), Hokkaido, Sapporo, QString())})
                                           << QStringLiteral("$:1: column 3: postal code \"060000\" is not 7 ASCII digits");
        QTest::newRow("postal code full-width") << utf8({ok, row(QStringLiteral("01101"), QStringLiteral("０６０００００"), Hokkaido, Sapporo, QString())})
                                                << QStringLiteral("$:2: column 3: postal code \"０６０００００\" is not 7 ASCII digits");
        QTest::newRow("government code") << sjis({QStringLiteral("0110") + ok.mid(5)})
                                         << QStringLiteral("$:1: column 1: local government code \"0110\" is not 5 digits");
        QTest::newRow("prefecture code") << sjis({ok, QStringLiteral("48101") + ok.mid(5)}) << QStringLiteral("$:2: column 1: no prefecture has the code 48");
        QTest::newRow("prefecture differs") << sjis({ok, row(QStringLiteral("01202"), QStringLiteral("0400000"), Tokyo, QStringLiteral("函館市"), QString())})
                                            << QStringLiteral("$:2: column 7: prefecture 東京都 differs from 北海道 of code 01 at $:1");
        QTest::newRow("no city") << sjis({row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, QStringLiteral(" "), QString())})
                                 << QStringLiteral("$:1: column 8: no city");
        QTest::newRow("emoji in town") << utf8({ok, town(QStringLiteral("北\U0001F600"))})
                                       << QStringLiteral("$:2: column 9: U+1F600 has no Shift-JIS (code page 932) form");
        QTest::newRow("kanji outside code page 932") << utf8({row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, QStringLiteral("森鷗外"), QString())})
                                                     << QStringLiteral("$:1: column 8: U+9DD7 has no Shift-JIS (code page 932) form");
        QTest::newRow("tab") << sjis({ok, town(QStringLiteral("北\t一条"))}) << QStringLiteral("$:2: control character U+0009");
        QTest::newRow("lone CR") << sjis({ok + QStringLiteral("\r") + ok}) << QStringLiteral("$:1: control character U+000D");
        QTest::newRow("neither encoding") << QByteArray("\x80\r\n")
                                          << QStringLiteral("$:1: unknown encoding: neither UTF-8 (line 1) nor Shift-JIS (code page 932, line 1)");
        // The line named is where the likelier encoding breaks.
        QTest::newRow("broken UTF-8") << QByteArray("\xE4\xBA\x9C\n\xE6\x9D\n")
                                      << QStringLiteral("$:2: unknown encoding: neither UTF-8 (line 2) nor Shift-JIS (code page 932, line 1)");
        QTest::newRow("broken Shift-JIS") << sjis({ok}) + "\x82"
                                          << QStringLiteral("$:2: unknown encoding: neither UTF-8 (line 1) nor Shift-JIS (code page 932, line 2)");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("$: empty input: no rows");
        QTest::newRow("blank lines") << QByteArray("\r\n\r\n") << QStringLiteral("$: empty input: no rows");
        QTest::newRow("BOM alone") << QByteArray("\xEF\xBB\xBF\n") << QStringLiteral("$: empty input: no rows");
    }

    void badInput()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, error);
        const QString good = fixtures::writeBytes(
            m_dir.path(), QStringLiteral("good.csv"),
            fixtures::cp932(lines({row(QStringLiteral("13101"), QStringLiteral("1000000"), Tokyo, Chiyoda, QString())})));
        const QString bad = fixtures::writeBytes(m_dir.path(), QStringLiteral("bad.csv"), csv);
        const QString out = freshPath(QStringLiteral("bad"));
        QVERIFY(QDir().mkpath(out));
        fixtures::writeBytes(out, QStringLiteral("13.qnr"), "old");
        const Run r = convert({QStringLiteral("--out"), out, good, bad});
        QCOMPARE(r.err, QStringLiteral("pellarin-convert: ") + error.replace(u'$', bad) + u'\n');
        QCOMPARE(r.code, 1);
        QCOMPARE(filesIn(out), QStringList{QStringLiteral("13.qnr")});
        QCOMPARE(readAll(out + QStringLiteral("/13.qnr")), QByteArray("old"));
    }

    void fileErrors()
    {
        const QString csv = fixtures::writeBytes(m_dir.path(), QStringLiteral("one.csv"),
                                                 fixtures::cp932(lines({row(QStringLiteral("01101"), QStringLiteral("0600000"), Hokkaido, Sapporo, QString())})));
        const QString out = path(QStringLiteral("not-written"));
        const std::pair<QString, QString> unreadable[] = {{path(QStringLiteral("missing.csv")), QStringLiteral("No such file or directory")},
                                                          {m_dir.path(), QStringLiteral("file to open is a directory")}};
        for (const auto &[input, why] : unreadable) {
            const Run r = convert({QStringLiteral("--out"), out, csv, input});
            QCOMPARE(r.err, QStringLiteral("pellarin-convert: %1: cannot read: %2\n").arg(input, why));
            QCOMPARE(r.code, 1);
            QVERIFY(!QFileInfo::exists(out));
        }

        Run r = convert({QStringLiteral("--out"), csv, csv});  // the output folder is a file
        QCOMPARE(r.err, QStringLiteral("pellarin-convert: ") + csv + QStringLiteral(": cannot create the output folder\n"));
        QCOMPARE(r.code, 1);

        // A path that looks like an option follows "--"; relative paths are fine.
        fixtures::writeBytes(m_dir.path(), QStringLiteral("-dash.csv"), readAll(csv));
        r = convert({QStringLiteral("--out"), QStringLiteral("dashed"), QStringLiteral("--"), QStringLiteral("-dash.csv")}, m_dir.path());
        QCOMPARE(r.code, 0);
        QVERIFY(readAll(path(QStringLiteral("dashed/01.qnr"))).startsWith("QUENTAR@V2\r\n;source: -dash.csv\r\n"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        const QString csv = QStringLiteral("a.csv");
        const QString out = QStringLiteral("--out");
        QTest::newRow("nothing") << QStringList{} << QStringLiteral("no output folder (--out DIR)");
        QTest::newRow("no --out") << QStringList{csv, QStringLiteral("o")} << QStringLiteral("no output folder (--out DIR)");
        QTest::newRow("--out without folder") << QStringList{csv, out} << QStringLiteral("--out needs a folder");
        QTest::newRow("--out= empty") << QStringList{QStringLiteral("--out="), csv} << QStringLiteral("--out needs a folder");
        QTest::newRow("--out twice") << QStringList{out, QStringLiteral("o"), out, QStringLiteral("p"), csv} << QStringLiteral("--out given twice");
        QTest::newRow("no input") << QStringList{out, QStringLiteral("o")} << QStringLiteral("no input file");
        QTest::newRow("empty input path") << QStringList{out, QStringLiteral("o"), QString()} << QStringLiteral("empty input path");
        QTest::newRow("--utf8 is gone") << QStringList{QStringLiteral("--utf8"), out, QStringLiteral("o"), csv} << QStringLiteral("unknown option --utf8");
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        const Run r = convert(args, m_dir.path());
        QCOMPARE(r.err.section(u'\n', 0, 0), QStringLiteral("pellarin-convert: ") + error);
        QVERIFY(r.err.section(u'\n', 1, 1).startsWith(QStringLiteral("usage: pellarin-convert [--keep-notes] --out DIR CSV...")));
        QCOMPARE(r.code, 2);
        QCOMPARE(r.out, QString());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("o"))));
    }

    void help()
    {
        const Run r = convert({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("usage: pellarin-convert [--keep-notes] --out DIR CSV...\n")));
        QCOMPARE(r.err, QString());
    }
};

QTEST_GUILESS_MAIN(TestConvert)
#include "test_convert.moc"
