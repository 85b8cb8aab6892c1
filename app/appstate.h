#pragma once

#include "data/datafile.h"
#include "data/recordtable.h"
#include "search/searchengine.h"
#include "settings/programsettings.h"

#include <QString>

// The program-wide state: settings, version text, the record table and its
// search index. One instance, owned here, for the life of the program.
struct AppState {
    ProgramSettings settings;
    QString VersionText;
    RecordTable table;
    SearchIndex index;

    // Rebuilds the record table from settings.DataFiles and indexes it.
    std::vector<FileLoadResult> reload();
};

AppState &App();
