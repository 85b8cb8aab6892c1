#include "centerform.h"

#include "twips.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {
// The frame (title bar and borders) that the window system gave a shown,
// decorated window: the best guess for one not shown yet.
QMargins knownFrame()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || (w->windowFlags() & Qt::FramelessWindowHint))
            continue;
        const QRect f = w->frameGeometry(), g = w->geometry();
        if (f != g)
            return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
    }
    return {};
}
}

QSize outerSize(const QWidget *window)
{
    const QRect f = window->frameGeometry(), g = window->geometry();
    if (f != g || window->isVisible() || (window->windowFlags() & Qt::FramelessWindowHint))
        return f.size();
    const QMargins m = knownFrame();
    return g.size().grownBy(m);
}

void CenterForm(QWidget *window)
{
    window->ensurePolished();
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QSize outer = outerSize(window);
    const double left = (Twips::fromPx(area.width()) - Twips::fromPx(outer.width())) / 2;
    const double top = (Twips::fromPx(area.height()) - Twips::fromPx(outer.height())) / 2;
    Twips::setPos(window, QPointF(Twips::fromPx(area.x()) + left, Twips::fromPx(area.y()) + top));
}
