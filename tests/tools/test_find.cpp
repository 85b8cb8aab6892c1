// pellarin-find from the outside: output, standard error and exit codes.

#include "fixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Run {
    int code = -1;
    QString out, err;
};

Run find(const QStringList &args, const QString &lang = {})
{
    QProcess p;
    if (!lang.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LANG"), lang);
        env.insert(QStringLiteral("LC_ALL"), lang);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral(PELLARIN_FIND), args);
    if (!p.waitForFinished(60000))
        qFatal("pellarin-find did not finish");
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
}

class TestFind : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_a, m_b;

private Q_SLOTS:
    void initTestCase()
    {
        m_a = fixtures::writeDataFile(m_dir.path(), QStringLiteral("a.qnr"), QStringLiteral("東京都千代田区"),
                                      {QStringLiteral("100-0001千代田"), QStringLiteral("100-0000"), QStringLiteral("ABC-0001 x y"),
                                       QStringLiteral("abc-0001X"), QStringLiteral("100-0002千代田千代田")});
        m_b = fixtures::writeDataFile(m_dir.path(), QStringLiteral("b.qnr"), QString(), {QStringLiteral("060-0000北海道"), QStringLiteral("0600001")});
    }

    void dump()
    {
        const QString bad = fixtures::writeBytes(m_dir.path(), QStringLiteral("bad.qnr"), "QUENTAR@V2 \r\n\\x\r\n12345678abc\r\n");
        const QString nosection = fixtures::writeBytes(m_dir.path(), QStringLiteral("nosec.qnr"), "QUENTAR@V2\r\n12345678abc\r\n");
        const Run r = find({QStringLiteral("--dump"), m_b, m_dir.path() + QStringLiteral("/missing.qnr"), bad, nosection, m_dir.path(), m_b});
        QCOMPARE(r.code, 0);
        // A record of 8 characters with an empty section has empty entries: a lone TAB.
        QCOMPARE(r.out, QStringLiteral("060-0000\t北海道\n060-0000\t北海道\n"));
        const QStringList err = r.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(err.size(), 4);
        QVERIFY(err[0].contains(QStringLiteral("missing.qnr")) && err[0].contains(QStringLiteral("not a regular file")));
        QVERIFY(err[1].contains(QStringLiteral("bad.qnr")) && err[1].contains(QStringLiteral("wrong header")));
        QVERIFY(err[2].contains(QStringLiteral("nosec.qnr")) && err[2].contains(QStringLiteral("no section line")));
        QVERIFY(err[3].contains(QStringLiteral("not a regular file")));
    }

    void dumpShortRecords()
    {
        const QString f = fixtures::writeDataFile(m_dir.path(), QStringLiteral("short.qnr"), QString(),
                                                  {QStringLiteral("12345678"), QStringLiteral("123456789"), QStringLiteral("1234567890")});
        const Run r = find({QStringLiteral("--dump"), f});
        QCOMPARE(r.out, QStringLiteral("\t\n\t\n12345678\t90\n"));
    }

    void search_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("status");
        const QString nf = QStringLiteral("見つかりませんでした\n");
        const QString zero = QStringLiteral("検索終了  0件");
        const QString sec = QStringLiteral("東京都千代田区");
        QTest::newRow("hits, sorted") << QStringList{QStringLiteral("千代田千")} << 0
                                      << QStringLiteral("100-0002\t") + sec + QStringLiteral("千代田千代田\n")
                                      << QStringLiteral("検索終了  1件");
        QTest::newRow("through the section") << QStringList{QStringLiteral("千代田")} << 0
                                      << QStringLiteral("100-0000\t") + sec + u'\n' + QStringLiteral("100-0001\t") + sec + QStringLiteral("千代田\n")
                                             + QStringLiteral("100-0002\t") + sec + QStringLiteral("千代田千代田\n")
                                             + QStringLiteral("ABC-0001\t") + sec + QStringLiteral(" x y\n")
                                             + QStringLiteral("abc-0001\t") + sec + QStringLiteral("X\n")
                                      << QStringLiteral("検索終了  5件");
        QTest::newRow("empty key") << QStringList{QString()} << 1 << nf << zero;
        QTest::newRow("blank key") << QStringList{QStringLiteral("  ")} << 1 << nf << zero;
        QTest::newRow("leading blank") << QStringList{QStringLiteral(" x")} << 1 << nf << zero;
        QTest::newRow("trailing blank") << QStringList{QStringLiteral("x ")} << 1 << nf << zero;
        QTest::newRow("inner blank") << QStringList{QStringLiteral("x y")} << 0 << QStringLiteral("ABC-0001\t") + sec + QStringLiteral(" x y\n")
                                     << QStringLiteral("検索終了  1件");
        QTest::newRow("whole text") << QStringList{sec + QStringLiteral("千代田")} << 0
                                    << QStringLiteral("100-0001\t") + sec + QStringLiteral("千代田\n") + QStringLiteral("100-0002\t") + sec + QStringLiteral("千代田千代田\n")
                                    << QStringLiteral("検索終了  2件");
        QTest::newRow("one longer") << QStringList{sec + QStringLiteral("千代田千代田x")} << 1 << nf << zero;
        QTest::newRow("case: upper and lower numbers") << QStringList{sec + QStringLiteral("X")} << 0
                                                       << QStringLiteral("abc-0001\t") + sec + QStringLiteral("X\n") << QStringLiteral("検索終了  1件");
        QTest::newRow("key after --") << QStringList{QStringLiteral("--"), QStringLiteral("-0")} << 1 << nf << zero;
    }
    void search()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, status);
        const Run r = find(args + QStringList{m_a});
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out);
        QCOMPARE(r.err.split(u'\n', Qt::SkipEmptyParts).last(), status);
    }

    void orderAcrossFilesAndCase()
    {
        // Case-insensitive order: "abc-0001" and "ABC-0001" sort together after the digits.
        const Run r = find({QStringLiteral("0001"), m_b, m_a});
        QCOMPARE(r.code, 1);  // numbers are never searched
        const Run s = find({QStringLiteral("区"), m_a, m_b});
        QCOMPARE(s.out.split(u'\n', Qt::SkipEmptyParts).size(), 5);
        QVERIFY(s.out.indexOf(QStringLiteral("ABC-0001")) < s.out.indexOf(QStringLiteral("abc-0001")));
        QVERIFY(s.out.indexOf(QStringLiteral("100-0002")) < s.out.indexOf(QStringLiteral("ABC-0001")));
    }

    void japaneseKeyInTheCLocale()
    {
        const Run r = find({QStringLiteral("千代田千代田"), m_a}, QStringLiteral("C"));
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("100-0002\t")));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("key only") << QStringList{QStringLiteral("x")};
        QTest::newRow("dump without files") << QStringList{QStringLiteral("--dump")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("-x"), QStringLiteral("f")};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = find(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains(QStringLiteral("usage:")));
    }
};

QTEST_GUILESS_MAIN(TestFind)
#include "test_find.moc"
