#include "settingsstore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

namespace {

// QSettings fixes its own user configuration folder the first time it is used
// in a process; the file name is built here so that every store follows the
// XDG_CONFIG_HOME of the moment.
QString settingsFileName(const QString &application)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QLatin1Char('/') + application + QLatin1Char('/') + application + QStringLiteral(".ini");
}

QString settingsKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

// Values this store writes always come back as strings. A file edited by hand
// may hold forms that QSettings reads as other types: an unquoted list with
// commas, or "@ByteArray(...)" without the doubled "@".
QString textOf(const QVariant &v, const QString &defaultValue)
{
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString();
    case QMetaType::QStringList:
        return v.toStringList().join(QLatin1Char(','));
    case QMetaType::QByteArray:
        return QStringLiteral("@ByteArray(") + QString::fromLatin1(v.toByteArray()) + QLatin1Char(')');
    default:
        return defaultValue;
    }
}

} // namespace

SettingsStore::SettingsStore(const QString &application)
    : m_application(application)
    , m_fileName(settingsFileName(application))
    , m_settings(std::make_unique<QSettings>(m_fileName, QSettings::IniFormat))
{
    // No fallback to rewriting the file in place when the folder does not
    // allow a temporary file next to it.
    m_settings->setAtomicSyncRequired(true);
}

SettingsStore::~SettingsStore() = default;
SettingsStore::SettingsStore(SettingsStore &&) noexcept = default;
SettingsStore &SettingsStore::operator=(SettingsStore &&) noexcept = default;

QString SettingsStore::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    if (section.isEmpty() || key.isEmpty())
        return defaultValue;
    const QVariant v = m_settings->value(settingsKey(section, key));
    if (!v.isValid())
        return defaultValue;
    return textOf(v, defaultValue);
}

void SettingsStore::write(const QString &section, const QString &key, const QString &value)
{
    // QSettings would turn an empty part into a key outside any section.
    if (section.isEmpty() || key.isEmpty())
        return;
    m_settings->setValue(settingsKey(section, key), value);
    commit();
}

void SettingsStore::deleteSection(const QString &section)
{
    // An empty group name would remove every key.
    if (section.isEmpty())
        return;
    m_settings->remove(section);
    commit();
}

void SettingsStore::beginBatch()
{
    ++m_batchDepth;
}

void SettingsStore::endBatch()
{
    if (m_batchDepth > 0 && --m_batchDepth == 0)
        commit();
}

QString SettingsStore::fileName() const
{
    return m_fileName;
}

void SettingsStore::commit()
{
    // QSettings writes through QSaveFile: a temporary file in the same folder,
    // renamed over the old one. A failure leaves the old file; it sets the
    // status, which nobody acts on.
    if (m_batchDepth == 0)
        m_settings->sync();
}
