// The settings load on an arbitrary settings file: every value read must be
// in range, and writing what was read and reading it again must give the
// same values back.

#include "settings/programsettings.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Loaded {
    ProgramSettings s;
    StoredPosition pos;
};

Loaded load()
{
    Loaded l;
    l.pos = loadSettings(SettingsStore(), l.s, QStringLiteral("/program"));
    return l;
}

bool same(const Loaded &a, const Loaded &b)
{
    return a.pos.WindowX == b.pos.WindowX && a.pos.WindowY == b.pos.WindowY && a.s.DataFiles == b.s.DataFiles &&
           a.s.DataFileCount == b.s.DataFileCount && a.s.IncSerFlag == b.s.IncSerFlag &&
           a.s.ClipSerFlag == b.s.ClipSerFlag && a.s.DataSourceMode == b.s.DataSourceMode && a.s.DataDir == b.s.DataDir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // In memory where the system offers it: every write is synced.
    static QTemporaryDir home((QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
                              QStringLiteral("/pellarin-fuzz-XXXXXX"));
    static const bool ready = [] {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        return home.isValid() && QDir(home.path()).mkpath(QStringLiteral("Pellarin"));
    }();
    check(ready);

    QFile file(SettingsStore().fileName());
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    file.close();

    const Loaded first = load();
    check(first.s.DataFileCount >= 0 && first.s.DataFileCount <= 32767);
    check(first.s.DataFiles.size() == first.s.DataFileCount + 1);
    check(first.pos.WindowX <= 12000 && first.pos.WindowY <= 10000);

    {
        SettingsStore store;
        writeSettings(store, first.s, first.pos.WindowX, first.pos.WindowY, 1110, 1470, first.s.IncSerFlag);
    }
    check(same(load(), first));
    return 0;
}
