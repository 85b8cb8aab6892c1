#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace Twips {

double perPixel()
{
    const QScreen *s = QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int toPx(double twips)
{
    return int(std::lround(twips / perPixel()));
}

double fromPx(int px)
{
    return px * perPixel();
}

QRect rect(double left, double top, double width, double height)
{
    return QRect(toPx(left), toPx(top), toPx(width), toPx(height));
}

namespace {
const char *const PlacedTwips = "pellarinPlacedTwips";
const char *const PlacedPx = "pellarinPlacedPx";
}

void setPos(QWidget *window, QPointF twips)
{
    const QPoint px(toPx(twips.x()), toPx(twips.y()));
    window->move(px);
    window->setProperty(PlacedTwips, twips);
    window->setProperty(PlacedPx, window->pos());
}

QPointF pos(const QWidget *window)
{
    const QPoint now = window->pos();
    if (window->property(PlacedPx).toPoint() == now && window->property(PlacedTwips).isValid())
        return window->property(PlacedTwips).toPointF();
    return QPointF(fromPx(now.x()), fromPx(now.y()));
}

}
