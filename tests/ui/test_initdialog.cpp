// The settings dialog: the data-file list kept in step with DataFiles, the
// clear-all with the store, the options, Ok with the loading notice and the
// reload, keys, centring and the lifecycle; the file and message dialogs.

#include "app/appstate.h"
#include "app/centerform.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/twips.h"
#include "settings/dialogseam.h"
#include "settings/initdialog.h"
#include "ui/info/fileinfo.h"
#include "ui/info/fileloadinginfo.h"
#include "ui/main/mainform.h"

#include "fixtures.h"
#include "uitest.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

ProgramSettings &settings()
{
    return App().settings;
}

void setEntries(const QStringList &entries)
{
    settings().DataFiles = QStringList{QString()} + entries;
    settings().DataFileCount = int(entries.size());
}

// Entries 1..DataFileCount.
QStringList entries()
{
    return settings().DataFiles.mid(1, settings().DataFileCount);
}

QStringList lines(const Init *d)
{
    QStringList out;
    for (int i = 0; i < d->Files->count(); ++i)
        out << d->Files->item(i)->text();
    return out;
}


// The dialog shown modelessly, as the menu would show it, for driving its
// commands directly.
Init *shownDialog()
{
    Init *d = forms().init.get();
    CenterForm(d);
    d->showOptions(settings().IncSerFlag, settings().ClipSerFlag);
    d->show();
    return d;
}

QString storeFile(const QString &configDir)
{
    return configDir + QStringLiteral("/Pellarin/Pellarin.ini");
}

} // namespace

class TestInitDialog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;
    QWidget m_standIn;
    // What the fake dialogs were asked and will answer.
    QStringList m_paths;  // answers of the file dialog, in turn
    QString m_filter;
    bool m_confirm = false;
    QString m_title, m_text;

    void useFakeDialogs()
    {
        dialogSeam().openFile = [this](QWidget *, const QString &filter) {
            m_filter = filter;
            return m_paths.isEmpty() ? QString() : m_paths.takeFirst();
        };
        dialogSeam().confirm = [this](QWidget *, const QString &title, const QString &text) {
            m_title = title;
            m_text = text;
            return m_confirm;
        };
    }

    void run(Init *d, const QString &action)
    {
        const QString verb = action.section(u' ', 0, 0), arg = action.section(u' ', 1);
        if (verb == u"select")
            d->Files->setCurrentRow(arg.toInt());  // as a click on the line
        else if (verb == u"add") {
            m_paths = {arg};  // empty: the file dialog is cancelled
            d->AddFile->click();
        } else if (verb == u"del")
            d->DelFile->click();
        else if (verb == u"clear") {
            m_confirm = arg != u"cancel";
            d->FileAllClear->click();
        } else if (verb == u"ok")
            d->OK_Key->click();
        else if (verb == u"close")
            QVERIFY(d->close());
        else if (verb == u"reopen") {
            d->hide();
            shownDialog();
        } else
            QFAIL(qPrintable(QStringLiteral("unknown action ") + action));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        QApplication::setQuitOnLastWindowClosed(false);
        installFontSubstitutions();
        // The main window stands while the dialog opens; its frame is the one
        // CenterForm counts for a window not shown yet.
        m_standIn.setWindowTitle(QStringLiteral("stand-in"));
        m_standIn.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_standIn));
        // Ok reloads through the main window, which exists (hidden) from here on.
        forms().mainForm.get();
    }
    void init()
    {
        useFakeDialogs();
        m_paths.clear();
        m_filter.clear();
        m_title.clear();
        m_text.clear();
        settings().DataSourceMode = 0;
        settings().IncSerFlag = 0;
        settings().ClipSerFlag = 0;
        setEntries({});
        QFile::remove(storeFile(m_config.path()));
    }
    void cleanup()
    {
        forms().init.close();
        forms().fileInfo.close();
        forms().fileLoadingInfo.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dialogSeam() = DialogSeam::platform();
    }

    // ------------------------------------------------------------ the list and the entries

    void listCommands_data()
    {
        QTest::addColumn<int>("mode");               // DataSourceMode
        QTest::addColumn<QStringList>("stored");     // entries 1..count before
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("shown");      // the lines afterwards (if the dialog exists)
        QTest::addColumn<QStringList>("expected");   // entries 1..count afterwards
        QTest::addColumn<QStringList>("beyond");     // slots just above the count afterwards
        QTest::addColumn<bool>("delEnabled");

        const QString a = QStringLiteral("/d/a.qnr"), b = QStringLiteral("/d/b.qnr"), c = QStringLiteral("/d/c.qnr"),
                      x = QStringLiteral("/d/x.qnr");
        using L = QStringList;
        QTest::newRow("opens with the entries") << 0 << L{a, b} << L{} << L{a, b} << L{a, b} << L{} << false;
        QTest::newRow("add a third") << 0 << L{a, b} << L{QStringLiteral("add ") + c} << L{a, b, c} << L{a, b, c} << L{} << false;
        QTest::newRow("add cancelled") << 0 << L{a, b} << L{QStringLiteral("add")} << L{a, b} << L{a, b} << L{} << false;
        QTest::newRow("add the same file twice") << 0 << L{a} << L{QStringLiteral("add ") + a} << L{a, a} << L{a, a} << L{} << false;
        QTest::newRow("add keeps the selection") << 0 << L{a, b} << L{QStringLiteral("select 1"), QStringLiteral("add ") + c}
                                                 << L{a, b, c} << L{a, b, c} << L{} << true;
        QTest::newRow("delete the first of three") << 0 << L{a, b, c} << L{QStringLiteral("select 0"), QStringLiteral("del")}
                                                   << L{b, c} << L{b, c} << L{c} << false;
        QTest::newRow("delete the last") << 0 << L{a, b} << L{QStringLiteral("select 1"), QStringLiteral("del")} << L{a} << L{a}
                                         << L{b} << false;
        QTest::newRow("delete without a selection") << 0 << L{a, b} << L{QStringLiteral("del")} << L{a, b} << L{a, b} << L{}
                                                    << false;
        QTest::newRow("clear with a line selected") << 0 << L{a, b} << L{QStringLiteral("select 1"), QStringLiteral("clear")}
                                                    << L{} << L{} << L{a, b} << true;
        QTest::newRow("clear, then delete") << 0 << L{a, b}
                                            << L{QStringLiteral("select 1"), QStringLiteral("clear"), QStringLiteral("del")} << L{}
                                            << L{} << L{a, b} << false;
        QTest::newRow("clear cancelled") << 0 << L{a, b} << L{QStringLiteral("select 0"), QStringLiteral("clear cancel")}
                                         << L{a, b} << L{a, b} << L{} << true;
        QTest::newRow("clear, then add") << 0 << L{a, b} << L{QStringLiteral("clear"), QStringLiteral("add ") + c} << L{c} << L{c}
                                         << L{} << false;

        // An entry that is not listed is dropped, so that each line stands
        // for the entry of its position.
        QTest::newRow("empty entry not listed") << 0 << L{a, QString(), c} << L{} << L{a, c} << L{a, c} << L{} << false;
        QTest::newRow("blank entry not listed") << 0 << L{QStringLiteral("  "), a} << L{} << L{a} << L{a} << L{} << false;
        QTest::newRow("empty entry, then add") << 0 << L{a, QString(), c} << L{QStringLiteral("add ") + x} << L{a, c, x}
                                               << L{a, c, x} << L{} << false;
        QTest::newRow("empty entry, delete the first, close box")
            << 0 << L{a, QString(), c} << L{QStringLiteral("select 0"), QStringLiteral("del"), QStringLiteral("close")} << L{}
            << L{c} << L{} << false;
        QTest::newRow("empty entry, delete the second") << 0 << L{a, QString(), c}
                                                        << L{QStringLiteral("select 1"), QStringLiteral("del")} << L{a} << L{a}
                                                        << L{} << false;
        QTest::newRow("empty entry, Ok") << 0 << L{QString(), a} << L{QStringLiteral("ok")} << L{a} << L{a} << L{} << false;
        QTest::newRow("add, then the close box") << 0 << L{a} << L{QStringLiteral("add ") + b, QStringLiteral("close")} << L{}
                                                 << L{a, b} << L{} << false;
        QTest::newRow("delete, Ok, reopen") << 0 << L{a, b}
                                            << L{QStringLiteral("select 0"), QStringLiteral("del"), QStringLiteral("ok"),
                                                 QStringLiteral("reopen")}
                                            << L{b} << L{b} << L{} << false;

        // DataSourceMode not 0: the list opens empty and the entries stay
        // until a command changes the list.
        QTest::newRow("mode 1 opens empty") << 1 << L{a, b} << L{} << L{} << L{a, b} << L{} << false;
        QTest::newRow("mode 1 close box keeps the entries") << 1 << L{a, b} << L{QStringLiteral("close")} << L{} << L{a, b}
                                                            << L{} << false;
        QTest::newRow("mode 1 Ok empties the entries") << 1 << L{a, b} << L{QStringLiteral("ok")} << L{} << L{QString(), QString()}
                                                       << L{} << false;
        QTest::newRow("mode 1 add makes the only entry") << 1 << L{a, b} << L{QStringLiteral("add ") + c} << L{c} << L{c} << L{}
                                                         << false;
        QTest::newRow("mode -1 add cancelled") << -1 << L{a, b} << L{QStringLiteral("add")} << L{} << L{} << L{a, b} << false;
    }
    void listCommands()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, beyond);
        QFETCH(bool, delEnabled);

        settings().DataSourceMode = qint16(mode);
        setEntries(stored);
        Init *d = shownDialog();
        for (const QString &action : actions) {
            run(d, action);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(entries(), expected);
        QCOMPARE(settings().DataFiles.mid(settings().DataFileCount + 1, beyond.size()), beyond);
        if (Init *open = forms().init.ifExists()) {
            QCOMPARE(lines(open), shown);
            QCOMPARE(open->DelFile->isEnabled(), delEnabled);
        }
        // Nothing reaches the store but a confirmed clear.
        if (!actions.contains(QStringLiteral("clear")))
            QVERIFY(!QFile::exists(storeFile(m_config.path())));
    }

    void delFileFollowsTheSelection()
    {
        setEntries({QStringLiteral("/a.qnr"), QStringLiteral("/b.qnr")});
        Init *d = shownDialog();
        QVERIFY(!d->DelFile->isEnabled());
        QVERIFY(QTest::qWaitForWindowExposed(d));
        const QRect second = d->Files->visualItemRect(d->Files->item(1));
        QTest::mouseClick(d->Files->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(d->Files->currentRow(), 1);
        QVERIFY(d->DelFile->isEnabled());
        d->DelFile->click();
        QCOMPARE(lines(d), QStringList{QStringLiteral("/a.qnr")});
        QVERIFY(d->Files->selectedItems().isEmpty());
        QVERIFY(!d->DelFile->isEnabled());
        // A new showing starts without a selection.
        d->Files->setCurrentRow(0);
        QVERIFY(d->DelFile->isEnabled());
        d->hide();
        shownDialog();
        QVERIFY(!d->DelFile->isEnabled());
    }

    void fileDialogGetsTheFilter()
    {
        shownDialog()->AddFile->click();
        QCOMPARE(m_filter, QStringLiteral("郵便番号データファイル(*.qnr)"));
    }

    void clearAsksAndDeletesTheStoredListAtOnce()
    {
        {
            QSettings ini(storeFile(m_config.path()), QSettings::IniFormat);
            ini.setValue(QStringLiteral("DataFile/MaxDataFile"), QStringLiteral("2"));
            ini.setValue(QStringLiteral("DataFile/File1"), QStringLiteral("/a.qnr"));
            ini.setValue(QStringLiteral("DataFile/File2"), QStringLiteral("/b.qnr"));
            ini.setValue(QStringLiteral("DataFile/Dir"), QStringLiteral("/d"));
            ini.setValue(QStringLiteral("WindowStile/WindowX"), QStringLiteral("3000"));
        }
        setEntries({QStringLiteral("/a.qnr"), QStringLiteral("/b.qnr")});
        Init *d = shownDialog();

        m_confirm = false;
        d->FileAllClear->click();
        QCOMPARE(m_title, QStringLiteral("Pellarin"));
        QCOMPARE(m_text, QStringLiteral("すべて削除します。よろしいですか？"));
        QCOMPARE(QSettings(storeFile(m_config.path()), QSettings::IniFormat).value(QStringLiteral("DataFile/File1")).toString(),
                 QStringLiteral("/a.qnr"));

        m_confirm = true;
        d->FileAllClear->click();
        QSettings ini(storeFile(m_config.path()), QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("DataFile"));
        QCOMPARE(ini.childKeys(), QStringList{QStringLiteral("MaxDataFile")});
        QCOMPARE(ini.value(QStringLiteral("MaxDataFile")).toString(), QStringLiteral("0"));
        ini.endGroup();
        QCOMPARE(ini.value(QStringLiteral("WindowStile/WindowX")).toString(), QStringLiteral("3000"));
        QCOMPARE(settings().DataFileCount, 0);
    }

    // ------------------------------------------------------------ the options

    void checkBoxesShowTheOptionsAndChangeNothing_data()
    {
        QTest::addColumn<int>("inc");
        QTest::addColumn<int>("clip");
        QTest::newRow("both off") << 0 << 0;
        QTest::newRow("incremental on") << 1 << 0;
        QTest::newRow("clipboard on") << 0 << 1;
        QTest::newRow("both on") << 1 << 1;
    }
    void checkBoxesShowTheOptionsAndChangeNothing()
    {
        QFETCH(int, inc);
        QFETCH(int, clip);
        settings().IncSerFlag = qint16(inc);
        settings().ClipSerFlag = qint16(clip);
        for (int showing = 0; showing < 2; ++showing) {
            bool inser = false, clipSer = false, clipEnabled = true, clipAfterClick = false;
            whileModal(openSettingsDialog, [&] {
                Init *d = forms().init.ifExists();
                QVERIFY(QTest::qWaitForWindowExposed(d));
                inser = d->Inser->isChecked();
                clipSer = d->ClipSer->isChecked();
                clipEnabled = d->ClipSer->isEnabled();
                QTest::mouseClick(d->Inser, Qt::LeftButton);       // ticking it...
                QTest::mouseClick(d->ClipSer, Qt::LeftButton);     // ...and trying the greyed one
                QTest::keyClick(d->windowHandle(), Qt::Key_C, Qt::AltModifier);
                QTest::qWait(150);
                clipAfterClick = d->ClipSer->isChecked();
                QCOMPARE(d->Inser->isChecked(), inc != 1);
                d->OK_Key->click();
            });
            QCOMPARE(inser, inc == 1);
            QCOMPARE(clipSer, clip == 1);
            QVERIFY(!clipEnabled);
            QCOMPARE(clipAfterClick, clip == 1);
            // ...changes neither option: the next opening shows them as before.
            QCOMPARE(settings().IncSerFlag, qint16(inc));
            QCOMPARE(settings().ClipSerFlag, qint16(clip));
        }
    }

    // ------------------------------------------------------------ Ok and the reload

    void okShowsTheNoticeWhileReloading()
    {
        QTemporaryDir data;
        const QString file = fixtures::writeDataFile(data.path(), QStringLiteral("13.qnr"), QStringLiteral("東京都"),
                                                     {QStringLiteral("100-0001千代田"), QStringLiteral("100-0002皇居外苑")});
        App().index.clear();
        App().table.clear();
        setEntries({file});

        // The notice is shown, centred, before the reload and closed after it.
        struct Watch : QObject {
            QStringList events;
            QPointF noticePos, noticeCentre;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget *>(o)->isWindow()) {
                    auto *w = static_cast<QWidget *>(o);
                    events << QStringLiteral("%1 shown, %2 records, dialog %3")
                                  .arg(o->objectName())
                                  .arg(App().table.DataCount())
                                  .arg(forms().init.ifExists() && forms().init.ifExists()->isVisible() ? u"up" : u"down");
                    if (o->objectName() == u"FileLoadingInfo") {
                        noticePos = Twips::pos(w);
                        noticeCentre = centred(w);
                    }
                }
                return false;
            }
        } watch;
        qApp->installEventFilter(&watch);
        whileModal(openSettingsDialog, [&] { forms().init.ifExists()->OK_Key->click(); });
        qApp->removeEventFilter(&watch);

        QCOMPARE(watch.events, (QStringList{QStringLiteral("Init shown, 0 records, dialog up"),
                                            QStringLiteral("FileLoadingInfo shown, 0 records, dialog down")}));
        QCOMPARE(watch.noticePos, watch.noticeCentre);
        QVERIFY(!forms().fileLoadingInfo.exists());
        QCOMPARE(App().table.DataCount(), 2);
        // Hidden, kept, with its list.
        Init *d = forms().init.ifExists();
        QVERIFY(d && !d->isVisible());
        QCOMPARE(lines(d), QStringList{file});
        QVERIFY(!QFile::exists(storeFile(m_config.path())));
    }

    void fileStatusShowsTheCountsAfterOk()
    {
        QTemporaryDir data;
        const QString one = fixtures::writeDataFile(data.path(), QStringLiteral("1.qnr"), QStringLiteral("東京都"),
                                                    {QStringLiteral("100-0001千代田")});
        const QString two = fixtures::writeDataFile(data.path(), QStringLiteral("2.qnr"), QStringLiteral("大阪府"),
                                                    {QStringLiteral("530-0001梅田"), QStringLiteral("530-0002曽根崎")});
        setEntries({one});
        App().reload();
        auto counts = [] {
            QStringList shown;
            whileModal(showFileInfoWindow, [&] {
                FileInfo *w = forms().fileInfo.ifExists();
                shown << w->FileCount->text() << w->MaxDataCount->text();
                w->Ok_Key->click();
            });
            return shown;
        };
        QCOMPARE(counts(), (QStringList{QStringLiteral("1"), QStringLiteral("1")}));

        m_paths = {two, QStringLiteral("/missing.qnr")};
        whileModal(openSettingsDialog, [&] {
            Init *d = forms().init.ifExists();
            d->AddFile->click();
            d->AddFile->click();
            d->OK_Key->click();
        });
        QCOMPARE(counts(), (QStringList{QStringLiteral("3"), QStringLiteral("3")}));

        // Remove the first; the search finds only what is listed.
        whileModal(openSettingsDialog, [&] {
            Init *d = forms().init.ifExists();
            d->Files->setCurrentRow(0);
            d->DelFile->click();
            d->OK_Key->click();
        });
        QCOMPARE(counts(), (QStringList{QStringLiteral("2"), QStringLiteral("2")}));
        QCOMPARE(App().index.search(QStringLiteral("千代田")).hits.size(), size_t(0));
        QCOMPARE(App().index.search(QStringLiteral("梅田")).hits.size(), size_t(1));
    }

    // ------------------------------------------------------------ keys, centring, lifecycle

    void enterPressesOkEscPressesNothing_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("list") << "Files";
        QTest::newRow("check box") << "Inser";
        QTest::newRow("Ok") << "OK_Key";
    }
    void enterPressesOkEscPressesNothing()
    {
        QFETCH(QString, focus);
        setEntries({QStringLiteral("/a.qnr")});
        bool openAfterEsc = false, hiddenByEnter = false;
        whileModal(openSettingsDialog, [&] {
            Init *d = forms().init.ifExists();
            QVERIFY(QTest::qWaitForWindowActive(d));
            QWidget *target = d->findChild<QWidget *>(focus);
            target->setFocus();
            QCOMPARE(QApplication::focusWidget(), target);
            QTest::keyClick(d->windowHandle(), Qt::Key_Escape);
            openAfterEsc = d->isVisible() && forms().init.exists();
            QTest::keyClick(d->windowHandle(), Qt::Key_Return);
            hiddenByEnter = !d->isVisible();
        });
        QVERIFY(openAfterEsc);
        QVERIFY(hiddenByEnter);
        QVERIFY(forms().init.exists());
    }

    void centredAtEveryShowing()
    {
        // When created it stands at 1110, 1470; every opening centres it.
        QCOMPARE(Twips::pos(forms().init.get()), QPointF(1110, 1470));
        for (int showing = 0; showing < 2; ++showing) {
            QPointF pos, centre;
            whileModal(openSettingsDialog, [&] {
                Init *d = forms().init.ifExists();
                pos = Twips::pos(d);
                centre = centred(d);
                d->move(5, 6);  // the user moves it before Ok
                d->OK_Key->click();
            });
            QCOMPARE(pos, centre);
        }
        // Ok hides it where it stood.
        QCOMPARE(forms().init.ifExists()->pos(), QPoint(5, 6));
    }

    void closeBoxDestroysAndALaterUseRecreates()
    {
        setEntries({QStringLiteral("/a.qnr")});
        QPointer<Init> first;
        whileModal(openSettingsDialog, [&] {
            first = forms().init.ifExists();
            first->Files->setCurrentRow(0);
            QVERIFY(first->close());
        });
        QVERIFY(!forms().init.exists());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        // Created anew from the initial layout.
        Init *again = forms().init.get();
        QCOMPARE(Twips::pos(again), QPointF(1110, 1470));
        whileModal(openSettingsDialog, [&] {
            QCOMPARE(lines(forms().init.ifExists()), QStringList{QStringLiteral("/a.qnr")});
            QVERIFY(!forms().init.ifExists()->DelFile->isEnabled());
            forms().init.ifExists()->hide();
        });
    }

    // ------------------------------------------------------------ the platform dialogs

    void qtFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("the data files") << "郵便番号データファイル(*.qnr)|*.qnr" << "郵便番号データファイル(*.qnr)";
        QTest::newRow("pattern not in the description") << "Data|*.qnr" << "Data (*.qnr)";
        QTest::newRow("two patterns, two entries") << "Text (*.txt;*.csv)|*.txt;*.csv|All|*.*"
                                                   << "Text (*.txt *.csv)|All (*.*)";
        QTest::newRow("empty") << "" << "";
    }
    void qtFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QString, qt);
        QCOMPARE(toQtFilter(filter), QString(qt).replace(u'|', QStringLiteral(";;")));
    }

    void platformMessageBox_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void platformMessageBox()
    {
        QFETCH(bool, ok);
        bool answer = !ok;
        whileModal([&] { answer = DialogSeam::platform().confirm(nullptr, QStringLiteral("Pellarin"), QStringLiteral("本当?")); },
                   [&] {
                       auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                       QVERIFY(box);
                       QCOMPARE(box->windowTitle(), QStringLiteral("Pellarin"));
                       QCOMPARE(box->text(), QStringLiteral("本当?"));
                       QCOMPARE(box->icon(), QMessageBox::NoIcon);
                       QCOMPARE(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
                       QCOMPARE(box->defaultButton(), box->button(QMessageBox::Cancel));
                       if (ok) {
                           box->button(QMessageBox::Ok)->click();
                       } else {
                           // Enter picks the default, Cancel.
                           QTest::keyClick(box, Qt::Key_Return);
                       }
                   });
        QCOMPARE(answer, ok);
    }

    void platformFileDialog()
    {
        QTemporaryDir data;
        const QString file = fixtures::writeDataFile(data.path(), QStringLiteral("01.qnr"), QStringLiteral("北海道"), {});
        const QString filter = toQtFilter(Init::FileFilter);
        for (bool choose : {false, true}) {
            QString path = QStringLiteral("unset");
            whileModal([&] { path = DialogSeam::platform().openFile(nullptr, filter); },
                       [&] {
                           auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                           QVERIFY(dialog);
                           QCOMPARE(dialog->nameFilters(), QStringList{filter});
                           QCOMPARE(dialog->selectedNameFilter(), filter);
                           QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
                           if (choose) {
                               dialog->selectFile(file);
                               static_cast<QDialog *>(dialog)->accept();
                           } else {
                               dialog->reject();
                           }
                       });
            QCOMPARE(path, choose ? file : QString());
        }
    }
};

QTEST_MAIN(TestInitDialog)
#include "test_initdialog.moc"
