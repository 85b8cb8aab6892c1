#pragma once

#include <QString>

class MainForm;
class QWidget;

// Lets the window system map and draw a window that was just shown, so that
// it stays on the screen while the thread is busy.
void paintNow(QWidget *w);

// "major.minor" from the build's version: "2.11".
QString versionText(int major, int minor);

// The start: version text, settings, the splash while the data files load,
// then the main window.
void ProgramStart();

// The exit: stores the window positions and settings, closes every window and
// ends the event loop. Runs once; later calls do nothing. closing: started by
// the main window's close request, which then closes the window itself.
void ExitSequence(MainForm *mainForm, bool closing = false);
