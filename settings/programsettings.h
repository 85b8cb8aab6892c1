#pragma once

#include "settingsstore.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The program-wide settings, filled once at start and written back at exit.
struct ProgramSettings {
    // Entries 1..DataFileCount are the data files in load order; slot 0 is unused.
    QStringList DataFiles{QString()};
    int DataFileCount = 0;
    qint16 IncSerFlag = 0;      // 1: search on every change of the search box
    qint16 ClipSerFlag = 0;     // shown in the settings dialog only
    qint16 DataSourceMode = 0;  // 0: the settings dialog lists DataFiles
    QString DataDir;            // kept and written back unchanged
};

// Main-window position in twips, as read (and clamped) at start.
struct StoredPosition {
    qint16 WindowX = 2000;
    qint16 WindowY = 1400;
};

// The store side of InitLoad: reads every setting into s and returns the
// main window's position. programDir is DataDir's default. An integer is an
// optional sign and decimal digits, blanks around it allowed, within
// -32768..32767; any other text gives the key's default. A negative
// "MaxDataFile" counts as 0. IncSerFlag takes the stored "IncSerON" unchanged.
StoredPosition loadSettings(const SettingsStore &store, ProgramSettings &s, const QString &programDir);

// The store side of InitWrite, in one replacement of the settings file.
// "File" keys above DataFileCount stay in the store.
void writeSettings(SettingsStore &store, const ProgramSettings &s, qint16 WindowX, qint16 WindowY,
                   qint16 Window2X, qint16 Window2Y, qint16 IncSerON);

// The settings dialog's clear-all: deletes section "DataFile", then writes
// "MaxDataFile" = "0", in one replacement of the settings file.
void clearStoredDataFiles(SettingsStore &store);
