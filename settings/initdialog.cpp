#include "initdialog.h"

#include "app/startup.h"

#include "dialogseam.h"
#include "programsettings.h"
#include "settingsstore.h"

#include "app/appstate.h"
#include "app/centerform.h"
#include "app/fonts.h"
#include "app/forms.h"
#include "app/twips.h"
#include "ui/info/fileloadinginfo.h"
#include "ui/info/infolayout.h"
#include "ui/main/mainform.h"
#include "ui/main/menucommands.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QWindow>

#include <algorithm>

const QString Init::FileFilter = QStringLiteral("郵便番号データファイル(*.qnr)|*.qnr");

namespace {
constexpr double ClientWidth = 7950, ClientHeight = 3840;
constexpr double InitialLeft = 1110, InitialTop = 1470;

ProgramSettings &settings()
{
    return App().settings;
}

// Entry n of DataFiles, empty where the array is shorter.
QString entry(int n)
{
    return settings().DataFiles.value(n);
}

// True when the text holds something besides blanks.
bool hasText(const QString &s)
{
    return std::any_of(s.cbegin(), s.cend(), [](QChar c) { return c != QLatin1Char(' '); });
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}

QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    c->setGeometry(geometry);
    c->setFont(gothicFont(9.75));
    return c;
}
}

Init::Init()
{
    setObjectName(QStringLiteral("Init"));
    setWindowTitle(QStringLiteral("設定"));
    setWindowIcon(InfoLayout::programIcon());
    setWindowFlags(InfoLayout::DialogFlags);
    setFixedSize(Twips::toPx(ClientWidth), Twips::toPx(ClientHeight));

    DataFileInit = new QGroupBox(QStringLiteral("データファイルの設定"), this);
    DataFileInit->setObjectName(QStringLiteral("DataFileInit"));
    DataFileInit->setGeometry(Twips::rect(120, 120, 7695, 2415));

    Files = new QListWidget(DataFileInit);
    Files->setObjectName(QStringLiteral("Files"));
    Files->setGeometry(Twips::rect(120, 240, 6255, 1860));
    Files->setSelectionMode(QAbstractItemView::SingleSelection);
    Files->setSortingEnabled(false);

    AddFile = button(DataFileInit, QStringLiteral("AddFile"), QStringLiteral("追加(&A)"), Twips::rect(6480, 360, 1095, 375));
    DelFile = button(DataFileInit, QStringLiteral("DelFile"), QStringLiteral("削除(&D)"), Twips::rect(6480, 840, 1095, 375));
    FileAllClear = button(DataFileInit, QStringLiteral("FileAllClear"), QStringLiteral("初期化(&E)"),
                          Twips::rect(6480, 1320, 1095, 375));

    OtherInit = new QGroupBox(QStringLiteral("その他の設定"), this);
    OtherInit->setObjectName(QStringLiteral("OtherInit"));
    OtherInit->setGeometry(Twips::rect(120, 2640, 2895, 1095));

    Inser = checkBox(OtherInit, QStringLiteral("Inser"), QStringLiteral("ｲﾝｸﾘﾒﾝﾄｻｰﾁ(&I)"), Twips::rect(120, 240, 1695, 375));
    ClipSer = checkBox(OtherInit, QStringLiteral("ClipSer"), QStringLiteral("クリップボード検索(&C)"),
                       Twips::rect(120, 600, 2055, 375));
    ClipSer->setEnabled(false);

    OK_Key = button(this, QStringLiteral("OK_Key"), QStringLiteral("Ok(&O)"), Twips::rect(5880, 3240, 1575, 375));
    OK_Key->setDefault(true);

    setTabOrder(OK_Key, AddFile);
    setTabOrder(AddFile, DelFile);
    setTabOrder(DelFile, FileAllClear);
    setTabOrder(FileAllClear, Files);
    setTabOrder(Files, Inser);
    setTabOrder(Inser, ClipSer);
    OK_Key->setFocus();

    connect(Files, &QListWidget::itemSelectionChanged, this, &Init::updateDelFile);
    connect(AddFile, &QPushButton::clicked, this, &Init::addFileClick);
    connect(DelFile, &QPushButton::clicked, this, &Init::delFileClick);
    connect(FileAllClear, &QPushButton::clicked, this, &Init::fileAllClearClick);
    connect(OK_Key, &QPushButton::clicked, this, &Init::okKeyClick);

    Twips::setPos(this, QPointF(InitialLeft, InitialTop));
}

void Init::showOptions(qint16 incSer, qint16 clipSer)
{
    Inser->setChecked(incSer == 1);
    ClipSer->setChecked(clipSer == 1);
}

void Init::showEvent(QShowEvent *e)
{
    rebuildList();
    Window<QDialog>::showEvent(e);
}

void Init::keyPressEvent(QKeyEvent *e)
{
    // No cancel button: Esc presses nothing and leaves the dialog open.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    Window<QDialog>::keyPressEvent(e);
}

int Init::selectedLine() const
{
    const QList<QListWidgetItem *> selected = Files->selectedItems();
    return selected.isEmpty() ? -1 : Files->row(selected.first());
}

void Init::updateDelFile()
{
    DelFile->setEnabled(selectedLine() >= 0);
}

// Entries 1..n become the n lines of Files, DataFileCount n; slots above
// keep their texts, beyond the count.
void Init::syncEntries()
{
    ProgramSettings &s = settings();
    const int n = Files->count();
    if (s.DataFiles.size() < n + 1)
        s.DataFiles.resize(n + 1);
    for (int i = 1; i <= n; ++i)
        s.DataFiles[i] = Files->item(i - 1)->text();
    s.DataFileCount = n;
}

void Init::rebuildList()
{
    const ProgramSettings &s = settings();
    {
        const QSignalBlocker quiet(Files);
        Files->clear();
        if (s.DataSourceMode == 0) {
            for (int n = 1; n <= s.DataFileCount; ++n) {
                if (hasText(entry(n)))
                    Files->addItem(entry(n));
            }
        }
    }
    // The entries that were not listed (blank ones) are dropped, so that
    // line k is entry k + 1 from now on. With DataSourceMode not 0 the list
    // stays empty and the entries are left alone until a command changes it.
    if (s.DataSourceMode == 0)
        syncEntries();
    updateDelFile();
}

void Init::addFileClick()
{
    const QString path = dialogSeam().openFile(this, toQtFilter(FileFilter));
    if (!path.isEmpty()) {
        settings().DataFiles.resize(Files->count() + 2);
        const QSignalBlocker quiet(Files);
        Files->addItem(path);
    }
    syncEntries();
}

void Init::delFileClick()
{
    const int line = selectedLine();
    if (line >= 0) {
        const QSignalBlocker quiet(Files);
        delete Files->takeItem(line);
        Files->clearSelection();
        Files->setCurrentRow(-1);
    }
    updateDelFile();
    syncEntries();
}

void Init::fileAllClearClick()
{
    if (!dialogSeam().confirm(this, QStringLiteral("Pellarin"), QStringLiteral("すべて削除します。よろしいですか？")))
        return;
    SettingsStore store;
    clearStoredDataFiles(store);
    {
        const QSignalBlocker quiet(Files);
        Files->clear();
    }
    // DataFiles keeps its texts, all beyond the count; DelFile keeps its state.
    settings().DataFileCount = 0;
}

void Init::okKeyClick()
{
    ProgramSettings &s = settings();
    if (s.DataFiles.size() < s.DataFileCount + 1)
        s.DataFiles.resize(s.DataFileCount + 1);
    for (int i = 1; i <= s.DataFileCount; ++i)
        s.DataFiles[i] = i - 1 < Files->count() ? Files->item(i - 1)->text() : QString();

    hide();

    FileLoadingInfo *notice = forms().fileLoadingInfo.get();
    CenterForm(notice);
    notice->show();
    paintNow(notice);
    if (MainForm *main = forms().mainForm.ifExists())
        main->repaint();

    forms().mainForm.get()->FileReload();

    forms().fileLoadingInfo.close();
}

void openSettingsDialog()
{
    Init *dialog = forms().init.get();
    CenterForm(dialog);
    dialog->showOptions(App().settings.IncSerFlag, App().settings.ClipSerFlag);
    dialog->exec();
}
