#pragma once

#include "app/window.h"

#include <QFrame>

class QLabel;

// The splash shown while the data files load at start: a thin border, no
// title bar, the product name, its version and a credit line.
class StartupForm : public Window<QFrame>
{
    Q_OBJECT

public:
    StartupForm();

    QLabel *Label1 = nullptr;
    QLabel *Ver = nullptr;
    QLabel *Label2 = nullptr;
};
