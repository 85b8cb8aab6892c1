// The main window: layout, layout rule, search, Enter, clipboard commands,
// search triggers, start and exit.

#include "fixtures.h"

#include "app/appstate.h"
#include "app/centerform.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/startup.h"
#include "app/twips.h"
#include "app/window.h"
#include "settings/initdialog.h"
#include "ui/info/startupform.h"
#include "ui/main/mainform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

int px(double twips)
{
    return Twips::toPx(twips);
}

// Types text as key presses (QTest::keyClicks takes ASCII only).
void type(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void loadTable(const QStringList &joinedLines)
{
    AppState &app = App();
    app.index.clear();
    app.table = RecordTable::fromJoinedLines(joinedLines);
    app.index.rebuild(app.table);
}

QStringList lines(const MainForm &w)
{
    QStringList out;
    for (int i = 0; i < w.reportCount(); ++i)
        out << w.reportLine(i);
    return out;
}

const QString Tokyo = QStringLiteral("東京都千代田区");

struct Probe : Window<QWidget> {
    static inline int created = 0;
    Probe() { ++created; }
};

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    std::unique_ptr<MainForm> m_w;

    MainForm &window()
    {
        m_w = std::make_unique<MainForm>();
        return *m_w;
    }
    MainForm &shownWindow()
    {
        MainForm &w = window();
        w.show();
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("window not active");
        return w;
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        installFontSubstitutions();
    }

    void init()
    {
        App().settings = ProgramSettings();
        loadTable({QStringLiteral("100-0001") + Tokyo + QStringLiteral("千代田"),
                   QStringLiteral("060-0000北海道札幌市中央区"),
                   QStringLiteral("100-0000") + Tokyo,
                   QStringLiteral("102-0072") + Tokyo + QStringLiteral("飯田橋")});
        QGuiApplication::clipboard()->clear();
    }

    void cleanup() { m_w.reset(); }

    // ------------------------------------------------------------ layout

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("points");
        QTest::newRow("Source") << "Source" << QRect(120, 120, 4335, 375) << QString() << 12.0;
        QTest::newRow("Search_Key") << "Search_Key" << QRect(4560, 120, 1455, 375) << QStringLiteral("検索(&S)") << 9.0;
        QTest::newRow("Report") << "Report" << QRect(120, 600, 5895, 2220) << QString() << 12.0;
        QTest::newRow("SearchInfo") << "SearchInfo" << QRect(240, 3000, 2895, 255) << QString() << 11.25;
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, text);
        QFETCH(double, points);
        MainForm &w = window();
        QWidget *c = w.findChild<QWidget *>(name);
        QVERIFY(c);
        // Report's height and SearchInfo's top follow the layout rule.
        QCOMPARE(c->x(), px(twips.x()));
        QCOMPARE(c->width(), px(twips.width()));
        if (name != u"Report" && name != u"SearchInfo") {
            QCOMPARE(c->y(), px(twips.y()));
            QCOMPARE(c->height(), px(twips.height()));
        }
        QCOMPARE(c->font().family(), GothicFace);
        QCOMPARE(c->font().pointSizeF(), points);
        if (auto *b = qobject_cast<QPushButton *>(c))
            QCOMPARE(b->text(), text);
        if (auto *l = qobject_cast<QLabel *>(c))
            QCOMPARE(l->text(), text);
    }

    void windowProperties()
    {
        MainForm &w = window();
        QCOMPARE(w.objectName(), QStringLiteral("MainForm"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Pellarin"));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.centralWidget()->size(), QSize(px(6240), px(3360)));
        QCOMPARE(w.Report->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(w.Report->palette().color(QPalette::Text), QColor(0, 0, 255));
        // Tab order: Source, Search_Key, Report; the label takes no focus.
        QCOMPARE(w.Source->nextInFocusChain(), static_cast<QWidget *>(w.Search_Key));
        QCOMPARE(w.Search_Key->nextInFocusChain(), static_cast<QWidget *>(w.Report));
        QCOMPARE(w.SearchInfo->focusPolicy(), Qt::NoFocus);
        QVERIFY(w.SearchInfo->text().isEmpty());
    }

    void menus()
    {
        MainForm &w = window();
        const QList<QAction *> bar = w.menuBar()->actions();
        QStringList top;
        for (QAction *a : bar)
            top << a->text();
        QCOMPARE(top, (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞ(&E)"),
                                   QStringLiteral("設定(&I)"), QStringLiteral("情報(&H)")}));
        QVERIFY(!bar[2]->menu());  // 設定 opens the dialog directly
        QCOMPARE(bar[2]->objectName(), QStringLiteral("Menu_Init"));
        QCOMPARE(w.findChild<QMenu *>(QStringLiteral("Menu_File"))->menuAction(), bar[0]);
        QCOMPARE(w.findChild<QMenu *>(QStringLiteral("Edit"))->menuAction(), bar[1]);
        QCOMPARE(w.findChild<QMenu *>(QStringLiteral("Menu_Infometion"))->menuAction(), bar[3]);

        struct Item { const char *name; const char *caption; QKeySequence key; };
        const Item items[] = {
            {"Menu_Exit", "終了(&X)", {}},
            {"EditPaste", "貼り付け(&P)", QKeySequence(QStringLiteral("Ctrl+V"))},
            {"EditCopy", "すべてコピー(&C)", QKeySequence(QStringLiteral("Ctrl+C"))},
            {"EditSelectCopy", "選択コピー(&L)", QKeySequence(QStringLiteral("Ctrl+L"))},
            {"EditNumCopy", "選択番号コピー(&N)", QKeySequence(QStringLiteral("Ctrl+N"))},
            {"Menu_FileInfo", "ファイル情報(&I)", {}},
            {"VerInfo", "ﾊﾞｰｼﾞｮﾝ情報(&A)", {}},
        };
        for (const Item &i : items) {
            QAction *a = w.findChild<QAction *>(QString::fromLatin1(i.name));
            QVERIFY2(a, i.name);
            QCOMPARE(a->text(), QString::fromUtf8(i.caption));
            QCOMPARE(a->shortcut(), i.key);
            QVERIFY(a->isEnabled());
            QVERIFY(!a->isCheckable());
        }
        QAction *border = w.findChild<QAction *>(QStringLiteral("Border1"));
        QVERIFY(border && border->isSeparator());
        const QList<QAction *> info = w.findChild<QMenu *>(QStringLiteral("Menu_Infometion"))->actions();
        QCOMPARE(info.size(), 3);
        QCOMPARE(info[1], border);
    }

    // ------------------------------------------------------------ layout rule

    void layoutRule_data()
    {
        QTest::addColumn<double>("outerHeight");
        QTest::addColumn<double>("expectedHeight");
        QTest::addColumn<double>("reportHeight");
        QTest::newRow("far below the minimum") << 600.0 << 2200.0 << 400.0;
        QTest::newRow("just below the minimum") << 2185.0 << 2200.0 << 400.0;
        QTest::newRow("at the minimum") << 2200.0 << 2200.0 << 400.0;
        QTest::newRow("one pixel above") << 2215.0 << 2215.0 << 615.0;
        QTest::newRow("tall") << 6000.0 << 6000.0 << 4400.0;
    }
    void layoutRule()
    {
        QFETCH(double, outerHeight);
        QFETCH(double, expectedHeight);
        QFETCH(double, reportHeight);
        MainForm &w = shownWindow();
        const int frame = w.frameGeometry().height() - w.geometry().height();
        w.resize(w.width(), px(outerHeight) - frame);
        QTRY_COMPARE(w.frameGeometry().height(), px(expectedHeight));
        QCOMPARE(w.Report->height(), px(reportHeight));
        const int infoTop = expectedHeight <= 2200 ? px(1270)
                                                   : px(Twips::fromPx(w.Report->y() + w.Report->height()) + 30);
        QCOMPARE(w.SearchInfo->y(), infoTop);
        // Widths and left edges never change.
        QCOMPARE(w.Report->width(), px(5895));
        QCOMPARE(w.SearchInfo->x(), px(240));
    }

    void widthChangesMoveNothing()
    {
        MainForm &w = shownWindow();
        const QRect report = w.Report->geometry(), info = w.SearchInfo->geometry(), source = w.Source->geometry();
        w.resize(w.width() / 2, w.height());
        QCOMPARE(w.Report->geometry(), report);
        w.resize(w.width() * 3, w.height());
        QCOMPARE(w.Report->geometry(), report);
        QCOMPARE(w.SearchInfo->geometry(), info);
        QCOMPARE(w.Source->geometry(), source);
    }

    void minimisedChangesNothing()
    {
        MainForm &w = shownWindow();
        const QRect report = w.Report->geometry();
        w.setWindowState(Qt::WindowMinimized);
        w.resize(w.width(), 20);
        QCOMPARE(w.Report->geometry(), report);
        w.setWindowState(Qt::WindowNoState);
        w.resize(w.width(), px(5000));
        QTRY_COMPARE(w.Report->height(), px(Twips::fromPx(w.frameGeometry().height()) - 1600));
    }

    // ------------------------------------------------------------ search

    void searchShowsSortedLines()
    {
        MainForm &w = window();
        w.Search(QStringLiteral("千代田"));
        QCOMPARE(lines(w), (QStringList{QStringLiteral("100-0000\t") + Tokyo, QStringLiteral("100-0001\t") + Tokyo + QStringLiteral("千代田"),
                                        QStringLiteral("102-0072\t") + Tokyo + QStringLiteral("飯田橋")}));
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  3件"));
    }

    void searchNotFoundAndBlankKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("sourceAfter");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("blanks") << QStringLiteral("   ") << QString();
        QTest::newRow("leading blank") << QStringLiteral(" 千代田") << QStringLiteral(" 千代田");
        QTest::newRow("trailing blank") << QStringLiteral("千代田 ") << QStringLiteral("千代田 ");
        QTest::newRow("no hit") << QStringLiteral("大阪") << QStringLiteral("大阪");
    }
    void searchNotFoundAndBlankKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, sourceAfter);
        MainForm &w = window();
        w.Source->setText(key);
        w.Search(w.Source->text());
        QCOMPARE(lines(w), QStringList{QStringLiteral("見つかりませんでした")});
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  0件"));
        QCOMPARE(w.Source->text(), sourceAfter);
    }

    void statusShownBeforeTheScan()
    {
        MainForm &w = window();
        w.Search(QStringLiteral("千代田"));
        // During the next search the label reads "検索中 " and the list is empty
        // when the first paint happens.
        QString seen;
        int rowsSeen = -1;
        struct Spy : QObject {
            std::function<void()> f;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    f();
                return false;
            }
        } spy;
        spy.f = [&] {
            if (seen.isEmpty()) {
                seen = w.SearchInfo->text();
                rowsSeen = w.reportCount();
            }
        };
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.SearchInfo->installEventFilter(&spy);
        w.Search(QStringLiteral("飯田橋"));
        w.SearchInfo->removeEventFilter(&spy);
        QCOMPARE(seen, QStringLiteral("検索中 "));
        QCOMPARE(rowsSeen, 0);
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  1件"));
    }

    void largeResult()
    {
        QStringList many;
        for (int i = 0; i < 100000; ++i)
            many << QStringLiteral("%1-%2東京都町").arg(i / 10000, 3, 10, QChar(u'0')).arg(i % 10000, 4, 10, QChar(u'0'));
        loadTable(many);
        MainForm &w = shownWindow();
        w.Search(QStringLiteral("町"));
        QCOMPARE(w.reportCount(), 100000);
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  100000件"));
        QCOMPARE(w.reportLine(99999), QStringLiteral("009-9999\t東京都町"));
        w.Report->scrollToBottom();
        QApplication::processEvents();
        w.Report->selectAll();
        w.EditNumCopy();
        QCOMPARE(QGuiApplication::clipboard()->text().size(), 100000 * 10 - 2);
    }

    void enterClicksSearchKeyFromSourceAndReport()
    {
        MainForm &w = shownWindow();
        QSignalSpy clicks(w.Search_Key, &QPushButton::clicked);
        w.Source->setFocus();
        type(w.Source, QStringLiteral("飯田橋"));
        QTest::keyClick(w.Source, Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  1件"));
        QCOMPARE(w.Source->text(), QStringLiteral("飯田橋"));  // Enter adds nothing to the key

        w.Source->setText(QStringLiteral("千代田"));
        w.Report->setFocus();
        QTest::keyClick(w.Report, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  3件"));
        // After the search Source has the focus with all its text selected.
        QVERIFY(w.Source->hasFocus());
        QCOMPARE(w.Source->selectedText(), QStringLiteral("千代田"));
        QCOMPARE(w.Source->selectionStart(), 0);

        // Twice with the same key: the same list, the key selected again.
        const QStringList first = lines(w);
        QTest::keyClick(w.Source, Qt::Key_Return);
        QCOMPARE(lines(w), first);
        QCOMPARE(w.Source->selectedText(), QStringLiteral("千代田"));
    }

    void blankKeyOnTheButton()
    {
        MainForm &w = shownWindow();
        w.Source->setText(QStringLiteral("  "));
        w.Search_Key->click();
        QCOMPARE(lines(w), QStringList{QStringLiteral("見つかりませんでした")});
        QVERIFY(w.Source->text().isEmpty());
        QVERIFY(w.Source->hasFocus());
        QCOMPARE(w.Source->selectionStart(), -1);  // nothing selected
        QVERIFY(w.Source->selectedText().isEmpty());
    }

    void reloadKeepsTheShownLines()
    {
        QTemporaryDir dir;
        MainForm &w = window();
        w.Search(QStringLiteral("千代田"));
        const QStringList before = lines(w);
        App().settings.DataFiles = {QString(), fixtures::writeDataFile(dir.path(), QStringLiteral("a.qnr"), QStringLiteral("大阪府"), {QStringLiteral("530-0001梅田")})};
        App().settings.DataFileCount = 1;
        w.FileReload();
        QCOMPARE(App().table.DataCount(), 1);
        QCOMPARE(lines(w), before);
        w.Search(QStringLiteral("梅田"));
        QCOMPARE(lines(w), QStringList{QStringLiteral("530-0001\t大阪府梅田")});
    }

    // ------------------------------------------------------------ clipboard

    void lineCutter_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("no CR") << QStringLiteral("abc") << QStringLiteral("abc");
        QTest::newRow("CR LF lines") << QStringLiteral("一\r\n二\r\n三") << QStringLiteral("一");
        QTest::newRow("leading CR LF") << QStringLiteral("\r\nabc") << QString();
        QTest::newRow("LF only") << QStringLiteral("a\nb\n") << QStringLiteral("a\nb\n");
        QTest::newRow("CR alone") << QStringLiteral("a\rb") << QStringLiteral("a");
    }
    void lineCutter()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(MainForm::LineCutter(in), out);
    }

    void paste_data()
    {
        QTest::addColumn<QString>("clip");  // null: a picture only
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("three lines") << QStringLiteral("飯田橋\r\n二\r\n三") << QStringLiteral("x") << QStringLiteral("飯田橋");
        QTest::newRow("leading CR LF") << QStringLiteral("\r\n飯田橋") << QStringLiteral("x") << QString();
        QTest::newRow("LF only") << QStringLiteral("a\nb") << QStringLiteral("x") << QStringLiteral("a\nb");
        QTest::newRow("picture") << QString() << QStringLiteral("x") << QStringLiteral("x");
        QTest::newRow("the current key") << QStringLiteral("x\r\ny") << QStringLiteral("x") << QStringLiteral("x");
    }
    void paste()
    {
        QFETCH(QString, clip);
        QFETCH(QString, before);
        QFETCH(QString, after);
        MainForm &w = window();
        App().settings.IncSerFlag = 1;
        w.Source->setText(before);
        w.Search(QStringLiteral("北海道"));
        if (clip.isNull()) {
            QImage img(4, 4, QImage::Format_RGB32);
            img.fill(Qt::red);
            QGuiApplication::clipboard()->setImage(img);
        } else {
            QGuiApplication::clipboard()->setText(clip);
        }
        const QStringList hokkaido{QStringLiteral("060-0000\t北海道札幌市中央区")};
        QCOMPARE(lines(w), hokkaido);
        w.EditPaste();
        QCOMPARE(w.Source->text(), after);
        // A changed key searches (incremental search on); the same key does not.
        QCOMPARE(lines(w) == hokkaido, after == before);
    }

    void hugeClipboardAndKey()
    {
        MainForm &w = window();
        App().settings.IncSerFlag = 1;
        // 50 MB of clipboard text: a short first line, then 25 million characters.
        QString clip = QStringLiteral("北海道\r\n");
        clip += QString(25'000'000, u'町');
        QGuiApplication::clipboard()->setText(clip);
        w.EditPaste();
        QCOMPARE(w.Source->text(), QStringLiteral("北海道"));
        QCOMPARE(lines(w), QStringList{QStringLiteral("060-0000\t北海道札幌市中央区")});

        // No CR at all: the box takes what it holds, Qt's 32767 characters.
        clip.remove(0, 5);
        QGuiApplication::clipboard()->setText(clip);
        clip.clear();
        w.EditPaste();
        QCOMPARE(w.Source->text(), QString(w.Source->maxLength(), u'町'));
        QCOMPARE(lines(w), QStringList{QStringLiteral("見つかりませんでした")});

        // A key of 100,000 characters passed to the search directly.
        w.Search(QString(100'000, u'北'));
        QCOMPARE(lines(w), QStringList{QStringLiteral("見つかりませんでした")});
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  0件"));
    }

    void copyCommands_data()
    {
        QTest::addColumn<QString>("key");        // null: no search (empty list)
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("all");
        QTest::addColumn<QString>("selectedLines");
        QTest::addColumn<QString>("numbers");
        const QString l1 = QStringLiteral("100-0001\t") + Tokyo + QStringLiteral("千代田");
        const QString l2 = QStringLiteral("102-0072\t") + Tokyo + QStringLiteral("飯田橋");
        const QString nl = QStringLiteral("\r\n");
        const QString unchanged = QStringLiteral("<unchanged>");
        QTest::newRow("two lines, none selected") << QStringLiteral("区千代田") << QList<int>{} << l1 + nl << QString() << QString();
        QTest::newRow("two hits, none selected") << QStringLiteral("田") << QList<int>{} << QStringLiteral("100-0000\t") + Tokyo + nl + l1 + nl + l2 + nl
                                                 << QString() << QString();
        QTest::newRow("two selected") << QStringLiteral("田") << QList<int>{1, 2} << QStringLiteral("100-0000\t") + Tokyo + nl + l1 + nl + l2 + nl
                                      << l1 + nl + l2 + nl << QStringLiteral("100-0001\r\n102-0072");
        QTest::newRow("one selected") << QStringLiteral("飯田") << QList<int>{0} << l2 + nl << l2 + nl << QStringLiteral("102-0072");
        QTest::newRow("not found") << QStringLiteral("大阪") << QList<int>{0} << unchanged << unchanged << unchanged;
        QTest::newRow("empty list") << QString() << QList<int>{} << QString() << QString() << QString();
    }
    void copyCommands()
    {
        QFETCH(QString, key);
        QFETCH(QList<int>, selected);
        QFETCH(QString, all);
        QFETCH(QString, selectedLines);
        QFETCH(QString, numbers);
        MainForm &w = window();
        if (!key.isNull())
            w.Search(key);
        for (int row : selected)
            w.Report->selectionModel()->select(w.Report->model()->index(row, 0), QItemSelectionModel::Select);
        const QString marker = QStringLiteral("<unchanged>");
        auto run = [&](void (MainForm::*command)()) {
            QGuiApplication::clipboard()->setText(marker);
            (w.*command)();
            return QGuiApplication::clipboard()->text();
        };
        QCOMPARE(run(&MainForm::EditCopy), all);
        QCOMPARE(run(&MainForm::EditSelectCopy), selectedLines);
        QCOMPARE(run(&MainForm::EditNumCopy), numbers);
    }

    void shortcutsReachTheListFromEveryControl()
    {
        MainForm &w = shownWindow();
        w.Search(QStringLiteral("飯田橋"));
        const QString line = QStringLiteral("102-0072\t") + Tokyo + QStringLiteral("飯田橋\r\n");
        for (QWidget *focus : {static_cast<QWidget *>(w.Source), static_cast<QWidget *>(w.Report)}) {
            w.Source->setText(QStringLiteral("飯田橋"));
            w.Source->selectAll();
            focus->setFocus();
            QGuiApplication::clipboard()->setText(QStringLiteral("x"));
            QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QGuiApplication::clipboard()->text(), line);

            w.Report->selectionModel()->select(w.Report->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
            QTest::keyClick(focus, Qt::Key_L, Qt::ControlModifier);
            QCOMPARE(QGuiApplication::clipboard()->text(), line);
            QTest::keyClick(focus, Qt::Key_N, Qt::ControlModifier);
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("102-0072"));

            // Ctrl+V replaces the whole key, whatever was selected in the box.
            QGuiApplication::clipboard()->setText(QStringLiteral("札幌\r\n二行目"));
            w.Source->setText(QStringLiteral("abc"));
            w.Source->setSelection(1, 1);
            QTest::keyClick(focus, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(w.Source->text(), QStringLiteral("札幌"));
        }
    }

    // ------------------------------------------------------------ triggers

    void incrementalSearch_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<bool>("searches");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("2") << 2 << false;
        QTest::newRow("-1") << -1 << false;
    }
    void incrementalSearch()
    {
        QFETCH(int, flag);
        QFETCH(bool, searches);
        App().settings.IncSerFlag = qint16(flag);
        App().settings.ClipSerFlag = 1;  // changes nothing
        MainForm &w = shownWindow();
        QStringList seen;
        connect(w.Source, &QLineEdit::textChanged, this, [&] { seen << w.SearchInfo->text(); });
        w.Source->setFocus();
        type(w.Source, QStringLiteral("飯田橋"));
        if (!searches) {
            QCOMPARE(w.reportCount(), 0);
            QVERIFY(w.SearchInfo->text().isEmpty());
            return;
        }
        QCOMPARE(lines(w), QStringList{QStringLiteral("102-0072\t") + Tokyo + QStringLiteral("飯田橋")});
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  1件"));
        QCOMPARE(w.Source->text(), QStringLiteral("飯田橋"));

        // Deleting everything ends with the empty key's not-found line.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(w.Source, Qt::Key_Backspace);
        QCOMPARE(lines(w), QStringList{QStringLiteral("見つかりませんでした")});
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  0件"));
    }

    void typedBlankRunsOneNestedSearch()
    {
        App().settings.IncSerFlag = 1;
        MainForm &w = shownWindow();
        int searches = 0;
        QStringList keys;
        connect(w.Source, &QLineEdit::textChanged, this, [&](const QString &t) { ++searches; keys << t; });
        w.Source->setFocus();
        QTest::keyClick(w.Source, Qt::Key_Space);
        // The blank key empties Source, which searches once more with the empty
        // key (that change is reported first, from inside the first search).
        QCOMPARE(keys, (QStringList{QString(), QStringLiteral(" ")}));
        QCOMPARE(searches, 2);
        QVERIFY(w.Source->text().isEmpty());
        QCOMPARE(lines(w), QStringList{QStringLiteral("見つかりませんでした")});
        QCOMPARE(w.SearchInfo->text(), QStringLiteral("検索終了  0件"));
    }

    void doubleClicks()
    {
        MainForm &w = shownWindow();
        // On Source: paste; with no text on the clipboard nothing changes.
        w.Source->setText(QStringLiteral("abc"));
        QGuiApplication::clipboard()->clear();
        QTest::mouseDClick(w.Source, Qt::LeftButton);
        QCOMPARE(w.Source->text(), QStringLiteral("abc"));
        QGuiApplication::clipboard()->setText(QStringLiteral("飯田橋\r\nx"));
        QTest::mouseDClick(w.Source, Qt::LeftButton);
        QCOMPARE(w.Source->text(), QStringLiteral("飯田橋"));

        // On a line of Report: copy the selected numbers.
        w.Search(QStringLiteral("千代田"));
        const QRect second = w.Report->visualRect(w.Report->model()->index(1, 0));
        QTest::mouseClick(w.Report->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(w.Report->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("100-0001"));

        // The not-found list leaves the clipboard alone.
        w.Search(QStringLiteral("大阪"));
        const QRect first = w.Report->visualRect(w.Report->model()->index(0, 0));
        QTest::mouseDClick(w.Report->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("100-0001"));
    }

    // ------------------------------------------------------------ lifecycle and centring

    void windowSlotLifecycle()
    {
        WindowSlot<Probe> slot;
        Probe::created = 0;
        QVERIFY(!slot.exists());
        Probe *p = slot.get();
        QVERIFY(p && !p->isVisible());
        QCOMPARE(slot.get(), p);  // at most once
        p->setWindowTitle(QStringLiteral("kept"));
        p->show();
        p->hide();
        QCOMPARE(slot.get()->windowTitle(), QStringLiteral("kept"));  // hiding keeps state
        QPointer<Probe> old = p;
        slot.close();
        QVERIFY(!slot.exists());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(old.isNull());  // closing destroys
        Probe *again = slot.get();
        QVERIFY(again->windowTitle().isEmpty());  // a later use builds it anew
        QCOMPARE(Probe::created, 2);
        slot.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void centring_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("small") << QSize(201, 100);
        QTest::newRow("wider than the screen") << QSize(5000, 100);
    }
    void centring()
    {
        QFETCH(QSize, size);
        QWidget w;
        w.resize(size);
        CenterForm(&w);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QPointF expect((Twips::fromPx(screen.width()) - Twips::fromPx(size.width())) / 2,
                             (Twips::fromPx(screen.height()) - Twips::fromPx(size.height())) / 2);
        QCOMPARE(Twips::pos(&w), expect);
        QCOMPARE(w.size(), size);
        if (size.width() > screen.width())
            QVERIFY(w.x() < 0);
    }

    void twipsRoundTrip()
    {
        QCOMPARE(Twips::perPixel(), 15.0);
        QWidget w;
        Twips::setPos(&w, QPointF(2000, 1400));
        QCOMPARE(w.pos(), QPoint(133, 93));
        QCOMPARE(Twips::pos(&w), QPointF(2000, 1400));  // unmoved: the exact twips
        w.move(10, 20);
        QCOMPARE(Twips::pos(&w), QPointF(150, 300));
    }

    // ------------------------------------------------------------ start and exit

    void versionText()
    {
        QCOMPARE(::versionText(2, 11), QStringLiteral("2.11"));
        QCOMPARE(::versionText(3, 5), QStringLiteral("3.5"));
    }

    void exitStoresTheSameWhicheverWay_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("menu") << true;
        QTest::newRow("close request") << false;
    }
    void exitStoresTheSameWhicheverWay()
    {
        QFETCH(bool, byMenu);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        App().settings.IncSerFlag = 2;
        App().settings.DataFiles = {QString(), QStringLiteral("/a.qnr")};
        App().settings.DataFileCount = 1;
        MainForm *w = forms().mainForm.get();
        Twips::setPos(w, QPointF(3000, 1500));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        Twips::setPos(w, QPointF(3000, 1500));
        QVERIFY(!forms().init.exists());
        if (byMenu)
            w->findChild<QAction *>(QStringLiteral("Menu_Exit"))->trigger();
        else
            QVERIFY(w->close());  // the close request runs the exit sequence
        QVERIFY(!forms().mainForm.exists());
        QVERIFY(!forms().init.exists());
        const QString file = config.path() + QStringLiteral("/Pellarin/Pellarin.ini");
        QSettings ini(file, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("WindowStile/WindowX")).toString(), QStringLiteral("3000"));
        QCOMPARE(ini.value(QStringLiteral("WindowStile/WindowY")).toString(), QStringLiteral("1500"));
        QCOMPARE(ini.value(QStringLiteral("WindowStile/Window2X")).toString(), QStringLiteral("1110"));
        QCOMPARE(ini.value(QStringLiteral("WindowStile/Window2Y")).toString(), QStringLiteral("1470"));
        QCOMPARE(ini.value(QStringLiteral("WindowStile/IncSerON")).toString(), QStringLiteral("2"));
        QCOMPARE(ini.value(QStringLiteral("DataFile/File1")).toString(), QStringLiteral("/a.qnr"));

        // Nothing is written after the exit sequence.
        QFile::remove(file);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QVERIFY(!QFile::exists(file));
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void startSequence()
    {
        QTemporaryDir config, data;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString file = fixtures::writeDataFile(data.path(), QStringLiteral("a.qnr"), Tokyo, {QStringLiteral("100-0001千代田")});
        {
            QSettings ini(config.path() + QStringLiteral("/Pellarin/Pellarin.ini"), QSettings::IniFormat);
            ini.setValue(QStringLiteral("DataFile/MaxDataFile"), QStringLiteral("1"));
            ini.setValue(QStringLiteral("DataFile/File1"), file);
            ini.setValue(QStringLiteral("WindowStile/WindowX"), QStringLiteral("1500"));
        }
        // The order: splash shown before the load, main window shown after it
        // while the splash still stands, then the splash closed.
        struct Order : QObject {
            QStringList events;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget *>(o)->isWindow())
                    events << QStringLiteral("%1 shown, %2 records, splash %3")
                                  .arg(o->objectName())
                                  .arg(App().table.DataCount())
                                  .arg(forms().startupForm.exists() ? u"on" : u"off");
                return false;
            }
        } order;
        App().index.clear();
        App().table.clear();
        qApp->installEventFilter(&order);
        ProgramStart();
        qApp->removeEventFilter(&order);
        QCOMPARE(order.events, (QStringList{QStringLiteral("StartupForm shown, 0 records, splash on"),
                                            QStringLiteral("MainForm shown, 1 records, splash on")}));
        MainForm *w = forms().mainForm.ifExists();
        QVERIFY(w && w->isVisible());
        QVERIFY(!forms().startupForm.exists());
        QCOMPARE(App().VersionText, QStringLiteral("2.11"));
        QCOMPARE(App().table.DataCount(), 1);
        QCOMPARE(Twips::pos(w).x(), 1500.0);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->Source));
        QVERIFY(w->SearchInfo->text().isEmpty());
        ExitSequence(w);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
