#include "startup.h"

#include "appstate.h"
#include "centerform.h"
#include "forms.h"
#include "twips.h"
#include "version.h"

#include "settings/initdialog.h"
#include "ui/info/fileinfo.h"
#include "ui/info/startupform.h"
#include "ui/info/ver.h"
#include "ui/main/mainform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QWindow>

#include <cmath>
#include <limits>

QString versionText(int major, int minor)
{
    return QString::number(major) + u'.' + QString::number(minor);
}

void paintNow(QWidget *w)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 500 && !(w->windowHandle() && w->windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    w->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

namespace {

// A position in twips as the store's 16-bit integer, rounded and clamped.
qint16 toStored(double twips)
{
    const double r = std::round(twips);
    return qint16(std::clamp(r, double(std::numeric_limits<qint16>::min()), double(std::numeric_limits<qint16>::max())));
}
}

void ProgramStart()
{
    App().VersionText = versionText(PELLARIN_VERSION_MAJOR, PELLARIN_VERSION_MINOR);

    MainForm *main = forms().mainForm.get();
    main->InitLoad();

    StartupForm *splash = forms().startupForm.get();
    CenterForm(splash);
    splash->show();
    paintNow(splash);

    main->FileReload();

    main->show();
    main->activateWindow();
    main->Source->setFocus();

    forms().startupForm.close();
}

void ExitSequence(MainForm *main, bool closing)
{
    if (!main || main->exiting())
        return;
    main->setExiting();

    // The dialog's position: where it stands, or its initial layout when it
    // does not exist (created, hidden, for this).
    const QPointF mainPos = Twips::pos(main);
    const QPointF dialogPos = Twips::pos(forms().init.get());
    main->InitWrite(toStored(mainPos.x()), toStored(mainPos.y()), toStored(dialogPos.x()), toStored(dialogPos.y()),
                    App().settings.IncSerFlag);

    forms().init.close();
    forms().fileInfo.close();
    forms().ver.close();
    if (!closing)
        main->close();
    QCoreApplication::quit();
}
