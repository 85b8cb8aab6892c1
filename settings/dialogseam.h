#pragma once

#include <QString>

#include <functional>

class QWidget;

// The two platform dialogs the settings dialog relies on. The program uses
// Qt's own; tests replace the functions to answer them without a person.
struct DialogSeam {
    // A file-open dialog over filter (Qt's form); the chosen full path, or an
    // empty string on cancel.
    std::function<QString(QWidget *parent, const QString &filter)> openFile;
    // A message box with OK and Cancel, Cancel the default, no icon; true
    // when the user chooses OK.
    std::function<bool(QWidget *parent, const QString &title, const QString &text)> confirm;

    // The seam as the program uses it: Qt's real dialogs.
    static DialogSeam platform();
};

// The seam in use.
DialogSeam &dialogSeam();

// A filter in the "description|pattern|description|pattern" form as a Qt
// name filter ("description (pattern);;..."). The patterns of one entry,
// separated by ";", are separated by blanks; a description that already ends
// with its patterns in parentheses shows them once.
QString toQtFilter(const QString &filter);
