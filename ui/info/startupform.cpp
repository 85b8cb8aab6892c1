#include "startupform.h"

#include "infolayout.h"

#include "app/appstate.h"
#include "app/fonts.h"
#include "app/twips.h"

#include <QLabel>

namespace {
constexpr double ClientWidth = 4320, ClientHeight = 1455;
}

StartupForm::StartupForm()
{
    setObjectName(QStringLiteral("StartupForm"));
    // No title bar, no system menu, nothing to move, size or close it with.
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    // The thin border is drawn by the frame, around the client area.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    const int border = frameWidth();
    setFixedSize(Twips::toPx(ClientWidth) + 2 * border, Twips::toPx(ClientHeight) + 2 * border);

    QWidget *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setGeometry(contentsRect());

    using InfoLayout::label;
    Label1 = label(client, QStringLiteral("Label1"), QStringLiteral("Pellarin"), 240, 240, 2415, 375,
                   gothicFont(18, true, true), Qt::AlignLeft, InfoLayout::Blue);
    Ver = label(client, QStringLiteral("Ver"), QStringLiteral("Ver ") + App().VersionText, 2760, 360, 1575, 255,
                timesFont(14.25, true, true), Qt::AlignLeft, InfoLayout::Blue);
    Label2 = label(client, QStringLiteral("Label2"), QStringLiteral("Programmed by volunteers"), 1200, 840, 2895, 375,
                   timesFont(12, true), Qt::AlignLeft, InfoLayout::DarkBlue);
}
