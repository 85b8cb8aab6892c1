#include "appstate.h"

AppState &App()
{
    static AppState state;
    return state;
}

std::vector<FileLoadResult> AppState::reload()
{
    index.clear();
    auto results = FileReload(table, settings.DataFiles, settings.DataFileCount);
    index.rebuild(table);
    return results;
}
