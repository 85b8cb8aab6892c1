#include "programsettings.h"

#include <optional>

namespace {

const QString WindowStile = QStringLiteral("WindowStile");
const QString DataFile = QStringLiteral("DataFile");

// A stored integer: optional blanks, an optional sign, decimal digits, optional
// blanks, within -32768..32767. Anything else is not a number.
std::optional<qint16> toInt16(const QString &text)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text.at(i) == QLatin1Char(' '))
        ++i;
    while (end > i && text.at(end - 1) == QLatin1Char(' '))
        --end;
    bool negative = false;
    if (i < end && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == end)
        return std::nullopt;
    int value = 0;
    for (; i < end; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > 32768)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 32767)
        return std::nullopt;
    return qint16(value);
}

qint16 readInt16(const SettingsStore &store, const QString &section, const QString &key, qint16 defaultValue)
{
    return toInt16(store.read(section, key, QString::number(defaultValue))).value_or(defaultValue);
}

QString fileKey(int n)
{
    return QStringLiteral("File") + QString::number(n);
}

} // namespace

StoredPosition loadSettings(const SettingsStore &store, ProgramSettings &s, const QString &programDir)
{
    StoredPosition pos;
    pos.WindowX = readInt16(store, WindowStile, QStringLiteral("WindowX"), 2000);
    pos.WindowY = readInt16(store, WindowStile, QStringLiteral("WindowY"), 1400);

    const qint16 incSerOn = readInt16(store, WindowStile, QStringLiteral("IncSerON"), 0);

    s.ClipSerFlag = readInt16(store, WindowStile, QStringLiteral("ClipBoardSearch"), 0);
    s.DataSourceMode = readInt16(store, WindowStile, QStringLiteral("DataSource"), 0);

    s.DataFileCount = qMax<qint16>(0, readInt16(store, DataFile, QStringLiteral("MaxDataFile"), 0));
    s.DataFiles = QStringList(s.DataFileCount + 1, QString());

    // A missing key gives an empty entry; the count stays as stored.
    for (int n = 1; n <= s.DataFileCount; ++n)
        s.DataFiles[n] = store.read(DataFile, fileKey(n), QString());

    s.DataDir = store.read(DataFile, QStringLiteral("Dir"), programDir);

    // The stored option is taken as it is: 0 off, 1 on, anything else off.
    const qint16 incSerFlag = incSerOn;

    if (pos.WindowX > 12000)
        pos.WindowX = 2000;
    if (pos.WindowY > 10000)
        pos.WindowY = 1400;

    s.IncSerFlag = incSerFlag;
    return pos;
}

void writeSettings(SettingsStore &store, const ProgramSettings &s, qint16 WindowX, qint16 WindowY,
                   qint16 Window2X, qint16 Window2Y, qint16 IncSerON)
{
    // One replacement of the file for all keys.
    store.beginBatch();
    store.write(WindowStile, QStringLiteral("WindowX"), QString::number(WindowX));
    store.write(WindowStile, QStringLiteral("WindowY"), QString::number(WindowY));
    store.write(WindowStile, QStringLiteral("Window2X"), QString::number(Window2X));
    store.write(WindowStile, QStringLiteral("Window2Y"), QString::number(Window2Y));
    store.write(WindowStile, QStringLiteral("IncSerON"), QString::number(IncSerON));
    store.write(WindowStile, QStringLiteral("ClipBoardSearch"), QString::number(s.ClipSerFlag));
    store.write(WindowStile, QStringLiteral("DataSource"), QString::number(s.DataSourceMode));

    store.write(DataFile, QStringLiteral("Dir"), s.DataDir);
    store.write(DataFile, QStringLiteral("MaxDataFile"), QString::number(s.DataFileCount));
    // Keys above the count stay as they are.
    for (int n = 1; n <= s.DataFileCount; ++n)
        store.write(DataFile, fileKey(n), s.DataFiles.value(n));
    store.endBatch();
}

void clearStoredDataFiles(SettingsStore &store)
{
    store.beginBatch();
    store.deleteSection(DataFile);
    store.write(DataFile, QStringLiteral("MaxDataFile"), QStringLiteral("0"));
    store.endBatch();
}
