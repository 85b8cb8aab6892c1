#pragma once

#include "window.h"

class MainForm;
class StartupForm;
class Init;
class FileInfo;
class Ver;
class FileLoadingInfo;

// The program's six windows, each existing at most once. Include a window's
// own header to get() it.
struct Forms {
    WindowSlot<MainForm> mainForm;
    WindowSlot<StartupForm> startupForm;
    WindowSlot<Init> init;
    WindowSlot<FileInfo> fileInfo;
    WindowSlot<Ver> ver;
    WindowSlot<FileLoadingInfo> fileLoadingInfo;
};

Forms &forms();
