// The splash, the version window, the file status window and the loading
// notice: layouts, counts, Ok / Enter / Esc, centring and the lifecycle.

#include "app/appstate.h"
#include "app/centerform.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/twips.h"
#include "settings/initdialog.h"
#include "ui/info/fileinfo.h"
#include "ui/info/fileloadinginfo.h"
#include "ui/info/startupform.h"
#include "ui/info/ver.h"

#include "fixtures.h"
#include "uitest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

QWidget *windowNamed(const QString &name)
{
    if (name == u"StartupForm")
        return forms().startupForm.get();
    if (name == u"Ver")
        return forms().ver.get();
    if (name == u"FileInfo")
        return forms().fileInfo.get();
    if (name == u"FileLoadingInfo")
        return forms().fileLoadingInfo.get();
    if (name == u"Init")
        return forms().init.get();
    qFatal("no window %s", qPrintable(name));
}

void closeAll()
{
    forms().startupForm.close();
    forms().ver.close();
    forms().fileInfo.close();
    forms().fileLoadingInfo.close();
    forms().init.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Presses key in window w as the window system delivers it: to the focus
// widget, through the shortcut map.
void press(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(w->windowHandle(), key, mods);
}

const QString Gothic = GothicFace;
const QString Times = TimesFace;
const QString Default = QStringLiteral("default");

} // namespace

class TestInfoWindows : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    QWidget m_standIn;

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QApplication::setQuitOnLastWindowClosed(false);
        installFontSubstitutions();
        App().VersionText = QStringLiteral("2.11");
        // The main window stands while these windows open; its frame is the
        // one CenterForm counts for a window not shown yet.
        m_standIn.setWindowTitle(QStringLiteral("stand-in"));
        m_standIn.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_standIn));
    }
    void cleanup()
    {
        closeAll();
        App().VersionText = QStringLiteral("2.11");
    }

    // ------------------------------------------------------------ layouts

    void windows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QSizeF>("client");  // twips
        QTest::addColumn<bool>("fixed");
        QTest::newRow("splash") << "StartupForm" << "" << QSizeF(4320, 1455) << true;
        QTest::newRow("version") << "Ver" << "ﾊﾞｰｼﾞｮﾝ情報  －Pellarin" << QSizeF(3885, 2535) << true;
        QTest::newRow("file status") << "FileInfo" << "ファイル状況" << QSizeF(3990, 2070) << false;
        QTest::newRow("loading notice") << "FileLoadingInfo" << "Pellarin" << QSizeF(4305, 1305) << true;
        QTest::newRow("settings") << "Init" << "設定" << QSizeF(7950, 3840) << true;
    }
    void windows()
    {
        QFETCH(QString, window);
        QFETCH(QString, caption);
        QFETCH(QSizeF, client);
        QFETCH(bool, fixed);
        QWidget *w = windowNamed(window);
        QCOMPARE(w->objectName(), window);
        QVERIFY(w->isWindow());
        QVERIFY(!w->isVisible());  // created hidden
        QCOMPARE(w->windowTitle(), caption);
        const QSize px(Twips::toPx(client.width()), Twips::toPx(client.height()));
        const Qt::WindowFlags flags = w->windowFlags();
        if (auto *splash = qobject_cast<StartupForm *>(w)) {
            // No title bar: the border is the frame's, around the client area.
            QVERIFY(flags & Qt::FramelessWindowHint);
            QCOMPARE(splash->contentsRect().size(), px);
            QVERIFY(splash->frameWidth() > 0);
            QCOMPARE(splash->findChild<QWidget *>(QStringLiteral("client"))->geometry(), splash->contentsRect());
        } else {
            QCOMPARE(w->size(), px);
            QVERIFY(flags & Qt::WindowCloseButtonHint);
            QVERIFY(flags & Qt::CustomizeWindowHint);
            QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint)));
            QVERIFY(!w->windowIcon().isNull());
            QCOMPARE(w->windowIcon().pixmap(32, 32).toImage().size(), QSize(32, 32));
        }
        QCOMPARE(w->minimumSize() == w->maximumSize(), fixed);
        if (!fixed) {
            // Sizable, and the content stays where it is.
            QWidget *ok = w->findChild<QWidget *>(QStringLiteral("Ok_Key"));
            const QRect before = ok->geometry();
            w->resize(px * 2);
            QCOMPARE(ok->geometry(), before);
        }
    }

    void controls_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("parent");  // the window or the frame holding it
        QTest::addColumn<QRectF>("twips");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("face");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<int>("align");  // horizontal alignment of a label, 0 for others
        QTest::addColumn<QColor>("color");

        const int L = Qt::AlignLeft, R = Qt::AlignRight;
        const QColor none, blue(0, 0, 255), darkBlue(0, 0, 192);
        auto row = [](const char *window, const char *control, const char *parent, QRectF r, const QString &text,
                      const QString &face, double pt, bool bold, bool italic, int align, const QColor &color) {
            QTest::addRow("%s.%s", window, control) << QString::fromLatin1(window) << QString::fromLatin1(control)
                                                     << QString::fromLatin1(parent) << r << text << face << pt << bold
                                                     << italic << align << color;
        };
        row("StartupForm", "Label1", "client", {240, 240, 2415, 375}, QStringLiteral("Pellarin"), Gothic, 18, true, true, L, blue);
        row("StartupForm", "Ver", "client", {2760, 360, 1575, 255}, QStringLiteral("Ver 2.11"), Times, 14.25, true, true, L, blue);
        row("StartupForm", "Label2", "client", {1200, 840, 2895, 375}, QStringLiteral("Programmed by volunteers"), Times, 12, true,
            false, L, darkBlue);

        row("Ver", "Command1", "Ver", {1200, 1920, 1455, 375}, QStringLiteral("Ok(&O)"), Gothic, 9.75, false, false, 0, none);
        row("Ver", "Label1", "Ver", {240, 240, 2295, 375}, QStringLiteral("Pellarin  Ver"), Gothic, 12, true, false, L, none);
        row("Ver", "Label2", "Ver", {2520, 240, 1095, 375}, QStringLiteral("2.11"), Gothic, 12, true, false, L, none);
        row("Ver", "Label3", "Ver", {360, 840, 2415, 255}, QStringLiteral("郵便番号検索ツール"), Gothic, 12, false, false, L, blue);
        row("Ver", "Label4", "Ver", {360, 1320, 1935, 255}, QStringLiteral("Programmed by"), Default, 0, false, false, L, none);
        row("Ver", "Label5", "Ver", {2400, 1280, 975, 255}, QStringLiteral("有志一同"), Gothic, 11.25, false, false, L, none);

        row("FileInfo", "Frame1", "FileInfo", {120, 0, 3735, 1455}, QString(), Default, 0, false, false, 0, none);
        row("FileInfo", "Ok_Key", "FileInfo", {1200, 1560, 1455, 375}, QStringLiteral("Ok(&O)"), Default, 0, false, false, 0, none);
        row("FileInfo", "Label1", "Frame1", {240, 360, 1695, 255}, QStringLiteral("データファイル数"), Gothic, 12, false, false, L, none);
        row("FileInfo", "Label2", "Frame1", {240, 840, 1335, 255}, QStringLiteral("データ数"), Gothic, 12, false, false, L, none);
        row("FileInfo", "FileCount", "Frame1", {1920, 360, 975, 255}, QStringLiteral("MaxFile"), Gothic, 12, false, false, R, none);
        row("FileInfo", "Label3", "Frame1", {3120, 840, 255, 255}, QStringLiteral("件"), Gothic, 12, false, false, L, none);
        row("FileInfo", "MaxDataCount", "Frame1", {2040, 840, 975, 255}, QStringLiteral("MaxData"), Gothic, 12, false, false, R, none);
        row("FileInfo", "Label4", "Frame1", {3120, 360, 375, 255}, QStringLiteral("File"), Gothic, 12, false, false, L, none);

        row("FileLoadingInfo", "Image1", "FileLoadingInfo", {240, 360, 480, 480}, QString(), Default, 0, false, false, L, none);
        row("FileLoadingInfo", "Label1", "FileLoadingInfo", {960, 240, 3015, 255}, QStringLiteral("ファイルを読み込んでいます。"), Gothic,
            11.25, false, false, L, none);
        row("FileLoadingInfo", "Label2", "FileLoadingInfo", {960, 720, 2175, 255}, QStringLiteral("しばらくお待ち下さい。"), Gothic, 11.25,
            false, false, L, none);

        row("Init", "DataFileInit", "Init", {120, 120, 7695, 2415}, QStringLiteral("データファイルの設定"), Default, 0, false, false, 0, none);
        row("Init", "Files", "DataFileInit", {120, 240, 6255, 1860}, QString(), Default, 0, false, false, 0, none);
        row("Init", "AddFile", "DataFileInit", {6480, 360, 1095, 375}, QStringLiteral("追加(&A)"), Default, 0, false, false, 0, none);
        row("Init", "DelFile", "DataFileInit", {6480, 840, 1095, 375}, QStringLiteral("削除(&D)"), Default, 0, false, false, 0, none);
        row("Init", "FileAllClear", "DataFileInit", {6480, 1320, 1095, 375}, QStringLiteral("初期化(&E)"), Default, 0, false, false, 0,
            none);
        row("Init", "OtherInit", "Init", {120, 2640, 2895, 1095}, QStringLiteral("その他の設定"), Default, 0, false, false, 0, none);
        row("Init", "Inser", "OtherInit", {120, 240, 1695, 375}, QStringLiteral("ｲﾝｸﾘﾒﾝﾄｻｰﾁ(&I)"), Gothic, 9.75, false, false, 0, none);
        row("Init", "ClipSer", "OtherInit", {120, 600, 2055, 375}, QStringLiteral("クリップボード検索(&C)"), Gothic, 9.75, false, false, 0,
            none);
        row("Init", "OK_Key", "Init", {5880, 3240, 1575, 375}, QStringLiteral("Ok(&O)"), Default, 0, false, false, 0, none);
    }
    void controls()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, parent);
        QFETCH(QRectF, twips);
        QFETCH(QString, text);
        QFETCH(QString, face);
        QFETCH(double, points);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(int, align);
        QFETCH(QColor, color);

        QWidget *w = windowNamed(window);
        auto *c = w->findChild<QWidget *>(control);
        QVERIFY(c);
        QCOMPARE(c->parentWidget()->objectName(), parent);
        QCOMPARE(c->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
        if (auto *l = qobject_cast<QLabel *>(c); l && l->pixmap().isNull())
            QCOMPARE(l->text(), text);
        else if (auto *b = qobject_cast<QAbstractButton *>(c))
            QCOMPARE(b->text(), text);
        else if (auto *g = qobject_cast<QGroupBox *>(c))
            QCOMPARE(g->title(), text);

        const QFont f = c->font();
        if (face == Default) {
            QCOMPARE(f.family(), QApplication::font().family());
            QCOMPARE(f.pointSizeF(), QApplication::font().pointSizeF());
        } else {
            QCOMPARE(f.family(), face);
            QCOMPARE(f.pointSizeF(), points);
            QCOMPARE(f.bold(), bold);
            QCOMPARE(f.italic(), italic);
        }
        if (auto *l = qobject_cast<QLabel *>(c)) {
            QCOMPARE(int(l->alignment() & Qt::AlignHorizontal_Mask), align);
            QVERIFY(l->frameShape() == QFrame::NoFrame);
            QVERIFY(l->focusPolicy() == Qt::NoFocus);
        }
        if (color.isValid())
            QCOMPARE(c->palette().color(QPalette::WindowText), color);
    }

    void japaneseFacesResolveToJapaneseFonts()
    {
        QCOMPARE(QFontInfo(gothicFont(12)).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(QFontInfo(timesFont(12, true)).family(), QStringLiteral("Liberation Serif"));
    }

    void pictures()
    {
        // The notice's information sign and the program icon: 32 x 32 each.
        const QImage sign = forms().fileLoadingInfo.get()->Image1->pixmap().toImage();
        QCOMPARE(sign.size(), QSize(32, 32));
        const QColor centre = sign.pixelColor(16, 20), ring = sign.pixelColor(16, 28);
        QVERIFY(centre.red() > 200 && centre.green() > 200 && centre.blue() > 200);  // the white "i"
        QVERIFY(ring.blue() > 100 && ring.red() < 50 && ring.green() < 50);         // the dark blue circle
        const QImage icon(QStringLiteral(":/pellarin.png"));
        QCOMPARE(icon.size(), QSize(32, 32));
        QCOMPARE(icon.pixelColor(1, 1), QColor(Qt::white));
        QCOMPARE(icon.pixelColor(16, 6), QColor(Qt::red));  // the top bar of the mark
    }

    void splashVersionIsSetWhenCreated()
    {
        App().VersionText = QStringLiteral("3.5");
        QCOMPARE(forms().startupForm.get()->Ver->text(), QStringLiteral("Ver 3.5"));
        App().VersionText = QStringLiteral("2.11");
        QCOMPARE(forms().startupForm.get()->Ver->text(), QStringLiteral("Ver 3.5"));
        forms().startupForm.close();
        QCOMPARE(forms().startupForm.get()->Ver->text(), QStringLiteral("Ver 2.11"));
    }

    // ------------------------------------------------------------ counts and texts at showing

    void fileStatusCounts_data()
    {
        QTest::addColumn<int>("existing");  // data files of three records each
        QTest::addColumn<int>("missing");   // configured files that do not exist
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("records");
        QTest::newRow("none configured") << 0 << 0 << "0" << "0";
        QTest::newRow("three, one missing") << 2 << 1 << "3" << "6";
        QTest::newRow("one missing only") << 0 << 1 << "1" << "0";
    }
    void fileStatusCounts()
    {
        QFETCH(int, existing);
        QFETCH(int, missing);
        QFETCH(QString, files);
        QFETCH(QString, records);
        QTemporaryDir data;
        ProgramSettings &s = App().settings;
        s.DataFiles = {QString()};
        for (int i = 0; i < existing; ++i)
            s.DataFiles << fixtures::writeDataFile(data.path(), QStringLiteral("%1.qnr").arg(i), QStringLiteral("東京都"),
                                                   {QStringLiteral("100-0001千代田"), QStringLiteral("100-0002皇居外苑"),
                                                    QStringLiteral("100-0003一ツ橋")});
        for (int i = 0; i < missing; ++i)
            s.DataFiles << data.filePath(QStringLiteral("missing%1.qnr").arg(i));
        s.DataFileCount = int(s.DataFiles.size()) - 1;
        App().reload();

        QString shownFiles, shownRecords;
        whileModal(showFileInfoWindow, [&] {
            FileInfo *w = forms().fileInfo.ifExists();
            QVERIFY(w && w->isVisible());
            shownFiles = w->FileCount->text();
            shownRecords = w->MaxDataCount->text();
            w->Ok_Key->click();
        });
        QCOMPARE(shownFiles, files);
        QCOMPARE(shownRecords, records);
    }

    void countsAboveSixteenBitsShowAsTheyAre()
    {
        QStringList lines;
        for (int i = 0; i < 40000; ++i)
            lines << QStringLiteral("100-%1東京都").arg(i, 4, 10, QLatin1Char('0'));
        App().index.clear();
        App().table = RecordTable::fromJoinedLines(lines);
        App().settings.DataFileCount = 40000;
        FileInfo *w = forms().fileInfo.get();
        QCOMPARE(w->FileCount->text(), QStringLiteral("MaxFile"));  // the layout text until shown
        w->ReVeiwInfo();
        QCOMPARE(w->FileCount->text(), QStringLiteral("40000"));
        QCOMPARE(w->MaxDataCount->text(), QStringLiteral("40000"));
        // A long count is never cut off: its label grows to the left.
        App().settings.DataFileCount = 32767;
        App().table = RecordTable::fromJoinedLines(QStringList(9999999, QStringLiteral("1234567890")));
        w->ReVeiwInfo();
        QVERIFY(w->FileCount->sizeHint().width() <= w->FileCount->width());
        QVERIFY(w->MaxDataCount->sizeHint().width() <= w->MaxDataCount->width());
        QCOMPARE(w->MaxDataCount->geometry().right(), Twips::rect(2040, 840, 975, 255).right());
        App().table.clear();
        App().settings.DataFileCount = 0;
    }

    void fileStatusIsRefreshedAtEveryShowing()
    {
        App().table.clear();
        App().settings.DataFiles = {QString()};
        App().settings.DataFileCount = 0;
        FileInfo *w = forms().fileInfo.get();
        w->show();
        QCOMPARE(w->FileCount->text(), QStringLiteral("0"));
        w->Ok_Key->click();
        App().settings.DataFiles = {QString(), QStringLiteral("/x.qnr"), QStringLiteral("/y.qnr")};
        App().settings.DataFileCount = 2;
        w->show();
        QCOMPARE(w->FileCount->text(), QStringLiteral("2"));
        App().settings.DataFiles = {QString()};
        App().settings.DataFileCount = 0;
    }

    void versionIsSetAtEveryShowing()
    {
        Ver *w = forms().ver.get();
        App().VersionText = QStringLiteral("3.5");
        QCOMPARE(w->Label2->text(), QStringLiteral("2.11"));
        w->show();
        QCOMPARE(w->Label2->text(), QStringLiteral("3.5"));
    }

    // ------------------------------------------------------------ Ok, Enter, Esc, close box

    void keysHideTheWindow_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("key");  // 0: click the Ok button
        for (const char *w : {"Ver", "FileInfo"}) {
            QTest::addRow("%s Ok", w) << QString::fromLatin1(w) << 0;
            QTest::addRow("%s Enter", w) << QString::fromLatin1(w) << int(Qt::Key_Return);
            QTest::addRow("%s keypad Enter", w) << QString::fromLatin1(w) << int(Qt::Key_Enter);
            QTest::addRow("%s Esc", w) << QString::fromLatin1(w) << int(Qt::Key_Escape);
            QTest::addRow("%s Alt+O", w) << QString::fromLatin1(w) << int(Qt::Key_O);
        }
    }
    void keysHideTheWindow()
    {
        QFETCH(QString, window);
        QFETCH(int, key);
        const bool ver = window == u"Ver";
        QPointer<QWidget> shown;
        bool hiddenByKey = false;
        whileModal(ver ? showVersionWindow : showFileInfoWindow, [&] {
            shown = windowNamed(window);
            QVERIFY(QTest::qWaitForWindowActive(shown));
            QVERIFY(QApplication::activeModalWidget() == shown);
            auto *ok = shown->findChild<QPushButton *>(ver ? QStringLiteral("Command1") : QStringLiteral("Ok_Key"));
            QVERIFY(ok->isDefault());
            if (key == 0)
                ok->click();
            else if (key == Qt::Key_O)
                press(shown, Qt::Key_O, Qt::AltModifier);
            else
                press(shown, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            // A mnemonic clicks its button with a short animation.
            QTRY_VERIFY_WITH_TIMEOUT(!shown->isVisible(), 2000);
            hiddenByKey = true;
        });
        QVERIFY(hiddenByKey);
        // Hidden, not destroyed: the modal loop has returned.
        QVERIFY(shown);
        QVERIFY(!shown->isVisible());
        QVERIFY(ver ? forms().ver.exists() : forms().fileInfo.exists());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(shown);
    }

    void closeBoxDestroysAndALaterUseRecreates_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("version") << "Ver";
        QTest::newRow("file status") << "FileInfo";
    }
    void closeBoxDestroysAndALaterUseRecreates()
    {
        QFETCH(QString, window);
        const bool ver = window == u"Ver";
        auto open = ver ? showVersionWindow : showFileInfoWindow;
        QPointer<QWidget> first;
        whileModal(open, [&] {
            first = windowNamed(window);
            // Leave a trace that the initial layout does not have.
            first->findChild<QLabel *>(QStringLiteral("Label1"))->setText(QStringLiteral("changed"));
            QVERIFY(first->close());
        });
        QVERIFY(!(ver ? forms().ver.exists() : forms().fileInfo.exists()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);

        QString label;
        QPointF pos;
        whileModal(open, [&] {
            QWidget *again = windowNamed(window);
            label = again->findChild<QLabel *>(QStringLiteral("Label1"))->text();
            pos = Twips::pos(again);
            again->hide();
        });
        QCOMPARE(label, ver ? QStringLiteral("Pellarin  Ver") : QStringLiteral("データファイル数"));
        QCOMPARE(pos, centred(windowNamed(window)));
    }

    void centredAtEveryShowing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("version") << "Ver";
        QTest::newRow("file status") << "FileInfo";
    }
    void centredAtEveryShowing()
    {
        QFETCH(QString, window);
        auto open = window == u"Ver" ? showVersionWindow : showFileInfoWindow;
        for (int showing = 0; showing < 2; ++showing) {
            QPointF pos;
            whileModal(open, [&] {
                QWidget *w = windowNamed(window);
                pos = Twips::pos(w);
                w->move(3, 4);  // the user moves it before Ok
                w->hide();
            });
            QCOMPARE(pos, centred(windowNamed(window)));
        }
    }
};

QTEST_MAIN(TestInfoWindows)
#include "test_infowindows.moc"
