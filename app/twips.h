#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>

class QWidget;

// Twips (1/1440 inch) and the screen's logical pixels: 15 twips a pixel at 96 dpi.
namespace Twips {
double perPixel();
int toPx(double twips);
double fromPx(int px);
QRect rect(double left, double top, double width, double height);

// Moves a top-level window so that its outer left/top edge stands at the
// given twips. The exact twips are remembered, so reading the position back
// while the window has not moved gives them unchanged (2000 twips is not a
// whole number of pixels at 96 dpi).
void setPos(QWidget *window, QPointF twips);
// The outer left/top edge of a top-level window in twips.
QPointF pos(const QWidget *window);
}
