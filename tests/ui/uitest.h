#pragma once

// Helpers shared by the window tests.

#include "app/centerform.h"
#include "app/twips.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Where CenterForm must put w, in twips.
QPointF centred(const QWidget *w)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize outer = outerSize(w);
    return QPointF(Twips::fromPx(screen.x()) + (Twips::fromPx(screen.width()) - Twips::fromPx(outer.width())) / 2,
                   Twips::fromPx(screen.y()) + (Twips::fromPx(screen.height()) - Twips::fromPx(outer.height())) / 2);
}

// Runs body once the modal loop that open() starts is running; a dialog
// left open by a failing body is hidden after a while so the test ends.
void whileModal(const std::function<void()> &open, const std::function<void()> &body)
{
    bool ran = false;
    QTimer::singleShot(0, qApp, [&] {
        ran = true;
        body();
    });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, qApp, [] {
        if (QWidget *m = QApplication::activeModalWidget())
            m->hide();
    });
    safety.start(10000);
    open();
    QVERIFY(ran);
}

} // namespace
