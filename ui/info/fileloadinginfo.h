#pragma once

#include "app/window.h"

#include <QDialog>

class QLabel;

// The notice that stands on the screen while the settings dialog's Ok
// reloads the data files. It has no behaviour of its own.
class FileLoadingInfo : public Window<QDialog>
{
    Q_OBJECT

public:
    FileLoadingInfo();

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
};
