#include "mainform.h"

#include "reportmodel.h"

#include "app/appstate.h"
#include "app/fonts.h"
#include "app/startup.h"
#include "app/twips.h"
#include "search/cliptext.h"
#include "settings/programsettings.h"
#include "ui/main/menucommands.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>

#include <algorithm>

namespace {
// Layout values in twips.
constexpr double ClientWidth = 6240, ClientHeight = 3360;
constexpr double MinimumHeight = 2200;
constexpr double ReportBelowTop = 1600;   // Report's height is H less this
constexpr double ReportAtMinimum = 400;
constexpr double InfoTopAtMinimum = 1270;
constexpr double InfoGap = 30;
constexpr int FrameMs = 16;               // a live list is repainted at most this often

const QColor Blue(0, 0, 255);  // 0x00FF0000

bool isListShortcut(const QKeyEvent *k)
{
    const QKeyCombination c = k->keyCombination();
    return c == QKeyCombination(Qt::ControlModifier, Qt::Key_V) || c == QKeyCombination(Qt::ControlModifier, Qt::Key_C)
        || c == QKeyCombination(Qt::ControlModifier, Qt::Key_L) || c == QKeyCombination(Qt::ControlModifier, Qt::Key_N);
}

bool isEnter(const QKeyEvent *k)
{
    return (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
        && (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
}

MainForm::MainForm()
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Pellarin"));
    setWindowIcon(QIcon(QStringLiteral(":/pellarin.png")));
    // Sizable, minimise and close boxes, no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(gothicFont(12));

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);

    Source = new QLineEdit(m_client);
    Source->setObjectName(QStringLiteral("Source"));
    Source->setGeometry(Twips::rect(120, 120, 4335, 375));

    Search_Key = new QPushButton(QStringLiteral("検索(&S)"), m_client);
    Search_Key->setObjectName(QStringLiteral("Search_Key"));
    Search_Key->setFont(gothicFont(9));
    Search_Key->setGeometry(Twips::rect(4560, 120, 1455, 375));
    Search_Key->setDefault(true);

    m_model = new ReportModel(this);
    Report = new QListView(m_client);
    Report->setObjectName(QStringLiteral("Report"));
    Report->setModel(m_model);
    Report->setGeometry(Twips::rect(120, 600, 5895, 2220));
    Report->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Report->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Report->setUniformItemSizes(true);
    Report->setLayoutMode(QListView::SinglePass);
    Report->setTextElideMode(Qt::ElideNone);
    Report->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette pal = Report->palette();
    pal.setColor(QPalette::Text, Blue);
    Report->setPalette(pal);

    SearchInfo = new QLabel(m_client);
    SearchInfo->setObjectName(QStringLiteral("SearchInfo"));
    SearchInfo->setFont(gothicFont(11.25));
    SearchInfo->setGeometry(Twips::rect(240, 3000, 2895, 255));
    SearchInfo->setText(QString());

    setTabOrder(Source, Search_Key);
    setTabOrder(Search_Key, Report);

    buildMenus();

    connect(Search_Key, &QPushButton::clicked, this, &MainForm::searchKeyClick);
    connect(Source, &QLineEdit::textChanged, this, &MainForm::sourceChanged);
    connect(Report, &QListView::doubleClicked, this, &MainForm::EditNumCopy);
    Source->installEventFilter(this);
    Report->installEventFilter(this);
    Search_Key->installEventFilter(this);

    // The client area is laid out at 6240 x 3360; the menu bar lies above it.
    resize(Twips::toPx(ClientWidth), Twips::toPx(ClientHeight) + menuBar()->sizeHint().height());
    Source->setFocus();
}

MainForm::~MainForm() = default;

void MainForm::buildMenus()
{
    auto item = [this](QMenu *menu, const char *name, const QString &caption, QKeySequence key, auto handler) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    bar->setNativeMenuBar(false);

    QMenu *file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("Menu_File"));
    item(file, "Menu_Exit", QStringLiteral("終了(&X)"), {}, [this] { ExitSequence(this); });

    QMenu *edit = bar->addMenu(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞ(&E)"));
    edit->setObjectName(QStringLiteral("Edit"));
    item(edit, "EditPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V), &MainForm::EditPaste);
    item(edit, "EditCopy", QStringLiteral("すべてコピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C), &MainForm::EditCopy);
    item(edit, "EditSelectCopy", QStringLiteral("選択コピー(&L)"), QKeySequence(Qt::CTRL | Qt::Key_L), &MainForm::EditSelectCopy);
    item(edit, "EditNumCopy", QStringLiteral("選択番号コピー(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N), &MainForm::EditNumCopy);

    QAction *init = bar->addAction(QStringLiteral("設定(&I)"));
    init->setObjectName(QStringLiteral("Menu_Init"));
    connect(init, &QAction::triggered, this, &MainForm::openSettings);

    QMenu *info = bar->addMenu(QStringLiteral("情報(&H)"));
    info->setObjectName(QStringLiteral("Menu_Infometion"));
    item(info, "Menu_FileInfo", QStringLiteral("ファイル情報(&I)"), {}, &MainForm::openFileInfo);
    QAction *border = info->addSeparator();
    border->setObjectName(QStringLiteral("Border1"));
    item(info, "VerInfo", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"), {}, &MainForm::openVersion);

    // The Edit shortcuts are the window's: they reach it from every control.
    addActions(edit->actions());
}

// ---------------------------------------------------------------- layout

void MainForm::resizeEvent(QResizeEvent *e)
{
    Window<QMainWindow>::resizeEvent(e);
    applyLayoutRule();
}

void MainForm::changeEvent(QEvent *e)
{
    Window<QMainWindow>::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        applyLayoutRule();
}

// The window system keeps the outer height from going below the minimum;
// the frame is known only once the window is shown, so this follows it.
void MainForm::updateMinimumHeight()
{
    const int frame = std::max(0, frameGeometry().height() - geometry().height());
    const int minimum = Twips::toPx(MinimumHeight) - frame;
    if (minimumHeight() != minimum)
        setMinimumHeight(minimum);
}

bool MainForm::event(QEvent *e)
{
    const bool done = Window<QMainWindow>::event(e);
    if (e->type() == QEvent::Show || e->type() == QEvent::Move || e->type() == QEvent::WindowActivate)
        updateMinimumHeight();
    return done;
}

void MainForm::applyLayoutRule()
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    // H is compared in whole pixels: a height in the same pixel as the
    // minimum counts as the minimum.
    const int frame = std::max(0, frameGeometry().height() - geometry().height());
    const int outer = height() + frame;
    const int minimum = Twips::toPx(MinimumHeight);
    updateMinimumHeight();
    const QPoint infoPos = SearchInfo->pos();
    if (outer > minimum) {
        Report->resize(Report->width(), Twips::toPx(Twips::fromPx(outer) - ReportBelowTop));
        const double top = Twips::fromPx(Report->y()) + Twips::fromPx(Report->height()) + InfoGap;
        SearchInfo->move(infoPos.x(), Twips::toPx(top));
    } else {
        if (outer != minimum)
            resize(width(), minimum - frame);
        Report->resize(Report->width(), Twips::toPx(ReportAtMinimum));
        SearchInfo->move(infoPos.x(), Twips::toPx(InfoTopAtMinimum));
    }
}

// ---------------------------------------------------------------- search

void MainForm::Search(const QString &P)
{
    m_model->clear();
    SearchInfo->setText(SearchingText);
    repaint();

    AppState &app = App();
    QElapsedTimer sincePaint;
    sincePaint.start();
    auto progress = [&](const HitList &hitsSoFar) {
        if (sincePaint.elapsed() < FrameMs)
            return;
        m_model->showLive(app.table, hitsSoFar);
        Report->repaint();
        sincePaint.restart();
    };
    SearchOutcome outcome = app.index.search(P, progress);

    m_model->setResult(app.table, std::move(outcome.hits));
    SearchInfo->setText(outcome.status);
    if (outcome.blankKey)
        Source->setText(QString());
}

void MainForm::searchKeyClick()
{
    Search(Source->text());
    Source->setFocus();
    Source->setSelection(0, int(Source->text().size()));
}

void MainForm::sourceChanged()
{
    if (App().settings.IncSerFlag == 1)
        Search(Source->text());
}

bool MainForm::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        // A line edit claims Ctrl+C and Ctrl+V for itself; here they are the
        // list commands, whatever has the focus.
        if (isListShortcut(static_cast<QKeyEvent *>(e))) {
            e->ignore();
            return true;
        }
    } else if (e->type() == QEvent::KeyPress) {
        // A main window has no default button: Enter clicks Search_Key.
        if (isEnter(static_cast<QKeyEvent *>(e))) {
            Search_Key->click();
            return true;
        }
    } else if (e->type() == QEvent::MouseButtonDblClick && watched == Source) {
        EditPaste();
        return true;
    }
    return Window<QMainWindow>::eventFilter(watched, e);
}

// ---------------------------------------------------------------- result lines

int MainForm::reportCount() const
{
    return m_model->rowCount();
}

QString MainForm::reportLine(int i) const
{
    return m_model->line(i);
}

bool MainForm::reportSelected(int i) const
{
    return Report->selectionModel()->isRowSelected(i, {});
}

// ---------------------------------------------------------------- clipboard

QString MainForm::LineCutter(const QString &Char)
{
    return firstLine(Char);
}

void MainForm::EditPaste()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *mime = clipboard->mimeData();
    if (!mime || !mime->hasText())
        return;
    Source->setText(LineCutter(clipboard->text()));
}

void MainForm::copyLines(CopyTake take) const
{
    if (copyRefused(reportLine(0)))
        return;
    QGuiApplication::clipboard()->setText(copyText(
        reportCount(), take, [this](qsizetype i) { return reportLine(int(i)); },
        [this](qsizetype i) { return reportSelected(int(i)); }));
}

void MainForm::EditCopy()
{
    copyLines(CopyTake::All);
}

void MainForm::EditSelectCopy()
{
    copyLines(CopyTake::Selected);
}

void MainForm::EditNumCopy()
{
    copyLines(CopyTake::SelectedNumbers);
}

// ---------------------------------------------------------------- settings and data

void MainForm::InitLoad()
{
    const StoredPosition pos = loadSettings(SettingsStore(), App().settings, QCoreApplication::applicationDirPath());
    Twips::setPos(this, QPointF(pos.WindowX, pos.WindowY));
}

void MainForm::InitWrite(qint16 WindowX, qint16 WindowY, qint16 Window2X, qint16 Window2Y, qint16 IncSerON)
{
    SettingsStore store;
    writeSettings(store, App().settings, WindowX, WindowY, Window2X, Window2Y, IncSerON);
}

void MainForm::FileReload()
{
    // The list shows lines of the old table until the next search.
    m_model->detachFromTable();
    App().reload();
}

// ---------------------------------------------------------------- windows

void MainForm::closeEvent(QCloseEvent *e)
{
    // Any close request runs the exit sequence; the close is never refused.
    if (!exiting())
        ExitSequence(this, true);
    Window<QMainWindow>::closeEvent(e);
}

void MainForm::openSettings()
{
    openSettingsDialog();
}

void MainForm::openFileInfo()
{
    showFileInfoWindow();
}

void MainForm::openVersion()
{
    showVersionWindow();
}
