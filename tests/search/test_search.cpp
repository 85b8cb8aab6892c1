// The search engine: matching against the sliding comparison it replaces,
// the list order, and the edge cases of keys, texts and tables.

#include "data/datafile.h"
#include "search/searchengine.h"

#include <QDir>

#include <QtTest>

#include "slidingsearch.h"

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

namespace {


QString lines(const RecordTable &table, const HitList &hits)
{
    QStringList out;
    for (std::uint32_t r : hits)
        out << QString::number(r) + u'=' + resultLine(table, r);
    return out.join(u'|');
}

class Random
{
public:
    explicit Random(std::uint32_t seed) : m_engine(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_engine); }
    QString pick(const QStringList &alphabet, int count)
    {
        QString s;
        for (int i = 0; i < count; ++i)
            s += alphabet[below(int(alphabet.size()))];
        return s;
    }

private:
    std::mt19937 m_engine;
};

// Text characters: blanks, TAB, letters in both cases, a few Japanese ones.
const QStringList TextAlphabet = {
    QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("\t"), QStringLiteral("a"), QStringLiteral("A"),
    QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("千"), QStringLiteral("代"), QStringLiteral("田"),
    QStringLiteral("　"), QStringLiteral("ſ"), QStringLiteral("s"),
};
// Number characters, with some whose case folding is not plain ASCII.
const QStringList NumberAlphabet = {
    QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("-"), QStringLiteral("a"), QStringLiteral("A"),
    QStringLiteral("s"), QStringLiteral("S"), QStringLiteral("ſ"), QStringLiteral("k"), QStringLiteral("K"),
    QStringLiteral("\u212A"), QStringLiteral("σ"), QStringLiteral("Σ"), QStringLiteral("ς"), QStringLiteral("µ"),
    QStringLiteral("μ"), QStringLiteral("ß"), QStringLiteral("İ"), QStringLiteral("i"), QStringLiteral("千"),
};
const QStringList SurrogateAlphabet = {QStringLiteral("\U00010400"), QStringLiteral("\U00010428")};

// An 8-unit number field; with surrogates, some pairs among the characters.
QString randomNumber(Random &rnd, bool surrogates)
{
    QString s;
    while (s.size() < 8) {
        if (surrogates && s.size() <= 6 && rnd.below(4) == 0)
            s += SurrogateAlphabet[rnd.below(2)];
        else
            s += NumberAlphabet[rnd.below(int(NumberAlphabet.size()))];
    }
    return s;
}

// Joined lines: mostly number + text, some too short to split, some repeated.
RecordTable randomTable(Random &rnd, int records, int maxText, bool surrogates)
{
    QStringList joined;
    for (int i = 0; i < records; ++i) {
        const int kind = rnd.below(12);
        if (kind == 0 && !joined.isEmpty())
            joined << joined[rnd.below(int(joined.size()))];
        else if (kind == 1)
            joined << rnd.pick(NumberAlphabet, rnd.below(10));
        else if (kind == 2 && !joined.isEmpty())
            joined << joined[rnd.below(int(joined.size()))].left(8) + rnd.pick(TextAlphabet, 2 + rnd.below(maxText));
        else if (kind == 3 && !joined.isEmpty()) {
            // The same line with the ASCII letters of its number in other cases.
            QString line = joined[rnd.below(int(joined.size()))];
            for (qsizetype c = 0; c < std::min<qsizetype>(8, line.size()); ++c)
                if (line[c].unicode() < 0x80 && line[c].isLetter() && rnd.below(2))
                    line[c] = line[c].isUpper() ? line[c].toLower() : line[c].toUpper();
            joined << line;
        }
        else
            joined << randomNumber(rnd, surrogates) + rnd.pick(TextAlphabet, 2 + rnd.below(maxText));
    }
    return RecordTable::fromJoinedLines(joined);
}

// Keys: random, or a piece of some text, sometimes with a blank added.
QString randomKey(Random &rnd, const RecordTable &table)
{
    if (rnd.below(2) == 0 || table.DataCount() == 0)
        return rnd.pick(TextAlphabet, 1 + rnd.below(4));
    const QStringView text = table.DataTexts(1 + rnd.below(int(table.DataCount())));
    if (text.isEmpty())
        return rnd.pick(TextAlphabet, 1);
    const int from = rnd.below(int(text.size()));
    QString key = text.sliced(from, 1 + rnd.below(int(text.size()) - from)).toString();
    switch (rnd.below(6)) {
    case 0: key.prepend(u' '); break;
    case 1: key.append(u' '); break;
    default: break;
    }
    return key;
}

RecordTable table(std::initializer_list<const char16_t *> joined)
{
    QStringList l;
    for (const char16_t *s : joined)
        l << QString::fromUtf16(s);
    return RecordTable::fromJoinedLines(l);
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusTexts()
    {
        QCOMPARE(finishedText(0), QStringLiteral("検索終了  0件"));
        QCOMPARE(finishedText(2), QStringLiteral("検索終了  2件"));
        QCOMPARE(finishedText(120663), QStringLiteral("検索終了  120663件"));
    }

    void resultLineIsNumberTabText()
    {
        const RecordTable t = table({u"100-0001東京都千代田区", u"12345678 a ", u"123456789"});
        QCOMPARE(resultLine(t, 1), QStringLiteral("100-0001\t東京都千代田区"));
        QCOMPARE(resultLine(t, 1).size(), 16);
        QCOMPARE(resultLine(t, 2), QStringLiteral("12345678\t a "));
        QCOMPARE(resultLine(t, 3), QStringLiteral("\t"));
    }

    // Many thousands of random tables and keys: the engine gives exactly the
    // records of the sliding comparison, in list order.
    void matchesSlidingComparison()
    {
        Random rnd(20240611);
        SearchIndex index;
        int cases = 0, withHits = 0;
        for (int round = 0; round < 400; ++round) {
            const RecordTable t = randomTable(rnd, 1 + rnd.below(40), 10, round % 4 == 3);
            index.rebuild(t);
            for (int n = 0; n < 40; ++n) {
                const QString key = randomKey(rnd, t);
                const SearchOutcome got = index.search(key);
                const HitList want = expectedHits(t, key);
                if (got.hits != want)
                    QFAIL(qPrintable(QStringLiteral("key [%1]\n got: %2\nwant: %3").arg(key, lines(t, got.hits), lines(t, want))));
                QCOMPARE(got.status, finishedText(qsizetype(want.size())));
                QCOMPARE(got.blankKey, trimBlanks(key).isEmpty());
                ++cases;
                withHits += !want.empty();
            }
        }
        QCOMPARE(cases, 16000);
        QVERIFY2(withHits > cases / 4, "too few cases with hits to mean much");
    }

    // Texts far longer than a progress step: matches across step boundaries,
    // and each progress call sees a prefix of the final hit list.
    void largeTableAndProgress()
    {
        Random rnd(7);
        const RecordTable t = randomTable(rnd, 40000, 30, false);
        SearchIndex index;
        index.rebuild(t);
        for (const QString &key : {QStringLiteral("a"), QStringLiteral("千代"), QStringLiteral("b\tA"),
                                   QStringLiteral("田 田"), QStringLiteral("aaaaaaa")}) {
            std::vector<HitList> seen;
            const SearchOutcome got = index.search(key, [&](const HitList &soFar) { seen.push_back(soFar); });
            QCOMPARE(got.hits, expectedHits(t, key));
            QVERIFY(seen.size() >= 2);
            for (const HitList &s : seen) {
                QVERIFY(s.size() <= got.hits.size());
                QVERIFY(std::equal(s.begin(), s.end(), got.hits.begin()));
            }
        }

        // A long key in every text: wherever the scan pauses, some match runs across.
        const QString longKey = rnd.pick(TextAlphabet, 60).trimmed() + u'#';
        QStringList joined;
        for (int i = 0; i < 20000; ++i)
            joined << QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')) + rnd.pick(TextAlphabet, rnd.below(8)) + longKey
                          + rnd.pick(TextAlphabet, rnd.below(8));
        const RecordTable every = RecordTable::fromJoinedLines(joined);
        index.rebuild(every);
        const HitList got = index.search(longKey).hits;
        QCOMPARE(got.size(), size_t(20000));
        QCOMPARE(got, expectedHits(every, longKey));
    }

    // The Japan set: the same list, line for line, as the sliding comparison
    // with the lines sorted.
    void japanSet()
    {
        const QDir dir(QStringLiteral(PELLARIN_SAMPLES_DIR));
        QStringList files{QString()};
        for (const QString &name : dir.entryList({QStringLiteral("*.qnr")}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
        if (files.size() < 2)
            QSKIP("no sample data");
        RecordTable t;
        FileReload(t, files, files.size() - 1);
        SearchIndex index;
        index.rebuild(t);
        QCOMPARE(index.size(), t.DataCount());
        for (const char16_t *key : {u"千代田", u"区", u"東京都千代田区", u"ヶ", u"丁目", u"竜宮城"}) {
            QStringList want;
            for (std::uint32_t r : slidingSearch(t, key))
                want << resultLine(t, r);
            std::stable_sort(want.begin(), want.end(), [](const QString &a, const QString &b) {
                if (const int c = a.compare(b, Qt::CaseInsensitive))
                    return c < 0;
                return a.compare(b, Qt::CaseSensitive) < 0;
            });
            QStringList got;
            for (std::uint32_t r : index.search(key).hits)
                got << resultLine(t, r);
            QCOMPARE(got, want);
        }
    }

    void listOrder()
    {
        // Number fields compare case-insensitively, the text decides between
        // equal ones, exact UTF-16 order between case variants, then table order.
        const RecordTable t = table({
            u"ABC-0002x#",  // 1
            u"abc-0001zz#", // 2
            u"Abc-0001y#",  // 3
            u"abc-0001Y#",  // 4
            u"ABC-0001y#",  // 5
            u"abc-0001Y#",  // 6: the same line as 4
            u"100-0001y#",  // 7
            u"abc-0001",    // 8: empty entries, never listed
            u"abc-00011",   // 9: empty entries too
            u"abc-0001ya#", // 10
            u"_bc-0001q#",  // 11: "_" sorts before letters once they are folded to lower case
        });
        SearchIndex index;
        index.rebuild(t);
        QCOMPARE(index.size(), qsizetype(9));
        // "ABC-0001\ty" < "Abc-0001\ty" < "abc-0001\tY" in UTF-16; "y#" < "ya#" < "zz#".
        const HitList want{7, 11, 5, 3, 4, 6, 10, 2, 1};
        QCOMPARE(lines(t, index.search(u"#").hits), lines(t, want));
        QCOMPARE(lines(t, expectedHits(t, u"#")), lines(t, want));
        QVERIFY(index.search(u"-").notFound());
    }

    void keysAndTexts_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<HitList>("hits");

        QTest::newRow("inner blank") << QStringLiteral("b c") << HitList{1};
        QTest::newRow("inner blank, two") << QStringLiteral("b  c") << HitList{};
        QTest::newRow("leading blank") << QStringLiteral(" cd") << HitList{};
        QTest::newRow("leading blank, text has it") << QStringLiteral(" ab") << HitList{};
        QTest::newRow("trailing blank") << QStringLiteral("ab ") << HitList{};
        QTest::newRow("trailing blank, text has it") << QStringLiteral("ef ") << HitList{};
        QTest::newRow("two hits in order") << QStringLiteral("xyz") << HitList{2, 3};
        QTest::newRow("whole text") << QStringLiteral("ab cd") << HitList{1};
        QTest::newRow("one longer than text") << QStringLiteral("ab cdx") << HitList{};
        QTest::newRow("text holds it twice") << QStringLiteral("xyzxyz") << HitList{3};
        QTest::newRow("case differs") << QStringLiteral("XYZ") << HitList{};
        QTest::newRow("text of 10-char line") << QStringLiteral("90") << HitList{6};
        QTest::newRow("number not searched") << QStringLiteral("0001") << HitList{};
        QTest::newRow("tab") << QStringLiteral("\t") << HitList{9};
        QTest::newRow("tab then blank") << QStringLiteral("\t ") << HitList{};
        QTest::newRow("ideographic blank is text") << QStringLiteral("　区") << HitList{10};
        QTest::newRow("nul inside") << QString::fromUtf16(u"a\0b", 3) << HitList{8};
        QTest::newRow("nul alone") << QString::fromUtf16(u"\0", 1) << HitList{8};
        QTest::newRow("nul across texts") << QString::fromUtf16(u"z\0" "90", 4) << HitList{};
        QTest::newRow("nul at end") << QString::fromUtf16(u"cd\0", 3) << HitList{};
        QTest::newRow("blank around text") << QStringLiteral("ef") << HitList{7};
    }

    void keysAndTexts()
    {
        QFETCH(QString, key);
        QFETCH(HitList, hits);
        // List order by number: 2, 6, 1, 3, 7, 8, 9, 10.
        const RecordTable t = table({
            u"200-0001ab cd",     // 1
            u"100-0001xyz",       // 2
            u"300-0001xyzxyz",    // 3
            u"12345678",          // 4: empty entries
            u"123456789",         // 5: empty entries
            u"1234567890",        // 6: text "90"
            u"400-0001 ef ",      // 7
            u"500-0001a",         // 8: text "a\0b", patched below
            u"600-0001a\tb",      // 9
            u"700-0001東京　区",  // 10
        });
        QStringList joined;
        for (qsizetype i = 1; i <= t.DataCount(); ++i)
            joined << t.joinedLine(i).toString();
        joined[7] += QString::fromUtf16(u"\0b", 2);
        const RecordTable full = RecordTable::fromJoinedLines(joined);
        QCOMPARE(slidingSearch(full, key).size(), hits.size());

        SearchIndex index;
        index.rebuild(full);
        const SearchOutcome got = index.search(key);
        QCOMPARE(lines(full, got.hits), lines(full, hits));
        QVERIFY(!got.blankKey);
        QCOMPARE(got.notFound(), hits.empty());
        QCOMPARE(got.status, finishedText(qsizetype(hits.size())));
    }

    void blankKeys()
    {
        const RecordTable t = table({u"100-0001a b", u"100-0002   "});
        SearchIndex index;
        index.rebuild(t);
        for (const char16_t *key : {u"", u" ", u"   "}) {
            const SearchOutcome got = index.search(key);
            QVERIFY(got.blankKey);
            QVERIFY(got.notFound());
            QCOMPARE(got.status, QStringLiteral("検索終了  0件"));
        }
        // Not blanks in the trimming sense: searched like any key.
        const SearchOutcome tab = index.search(u"\t");
        QVERIFY(!tab.blankKey);
        QCOMPARE(tab.status, QStringLiteral("検索終了  0件"));
        QVERIFY(!index.search(u"　").blankKey);
    }

    void longKeysAndTexts()
    {
        // A text of a million characters holding a 100,000-character key once,
        // near its end, beside short records.
        QString text;
        for (int i = 0; i < 1'000'000; ++i)
            text += QChar(u"千代田区町"[(i * 7 + i / 5) % 5]);
        const QString key = text.mid(880'000, 100'000);
        const RecordTable t = RecordTable::fromJoinedLines(
            {u"100-0001千代田区"_s, u"100-0002"_s + text, u"100-0003"_s + key.left(99'999)});
        SearchIndex index;
        index.rebuild(t);

        QCOMPARE(index.search(key).hits, HitList{2});
        QCOMPARE(index.search(key.left(99'999)).hits, (HitList{2, 3}));
        QVERIFY(index.search(key + u'x').notFound());
        QVERIFY(index.search(QString(100'000, u'町')).notFound());
        // Longer than any text.
        QVERIFY(index.search(text + text.left(1)).notFound());
        QCOMPARE(index.search(text).hits, HitList{2});
    }

    void emptyTables()
    {
        SearchIndex never;
        QVERIFY(never.search(u"a").notFound());
        QCOMPARE(never.search(u"a").status, QStringLiteral("検索終了  0件"));

        const RecordTable empty;
        const RecordTable shortOnly = table({u"", u"1", u"12345678", u"123456789"});
        for (const RecordTable *t : {&empty, &shortOnly}) {
            SearchIndex index;
            index.rebuild(*t);
            QCOMPARE(index.size(), 0);
            for (const QString &key : {QStringLiteral("1"), QStringLiteral("9"), QString::fromUtf16(u"\0", 1)}) {
                const SearchOutcome got = index.search(key);
                QVERIFY(got.notFound());
                QVERIFY(!got.blankKey);
                QCOMPARE(got.status, QStringLiteral("検索終了  0件"));
            }
        }
    }

    void rebuildReplacesTable()
    {
        const RecordTable first = table({u"100-0001abc", u"100-0002abd"});
        const RecordTable second = table({u"200-0001xab"});
        SearchIndex index;
        index.rebuild(first);
        QCOMPARE(index.search(u"ab").hits, (HitList{1, 2}));
        index.rebuild(second);
        QCOMPARE(index.table(), &second);
        QCOMPARE(index.search(u"ab").hits, HitList{1});
        QVERIFY(index.search(u"abd").notFound());
        index.clear();
        QVERIFY(index.search(u"ab").notFound());
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "test_search.moc"
