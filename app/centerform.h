#pragma once

#include <QSize>

class QWidget;

// The window's outer size in pixels, frame and title bar included. A window
// that has never been shown has no frame yet; it is given the frame of the
// program's other decorated windows (none on a platform without frames).
QSize outerSize(const QWidget *window);

// Moves a window so that it stands in the middle of its screen: left =
// (screen width - outer width) / 2, top likewise, in twips by exact division
// (negative for a window larger than the screen). The size is not changed.
void CenterForm(QWidget *window);
