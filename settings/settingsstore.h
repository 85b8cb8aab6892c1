#pragma once

#include <QString>

#include <memory>

class QSettings;

// The per-user settings store: string values addressed by application,
// section and key. It is an INI file in the user's configuration folder,
// $XDG_CONFIG_HOME/<application>/<application>.ini (~/.config by default).
// Nothing else in the program touches that file.
//
// The file is read when the store is created; a store made later sees the
// changes of other writers. Every write or delete reaches the disk at once,
// by replacing the whole file (a temporary file renamed over the old one), so
// the file is never left half written. Between beginBatch() and endBatch() the
// changes are collected and written together by endBatch(). A file that cannot
// be read gives the defaults; a file that cannot be written is left as it is.
// Neither is reported.
class SettingsStore
{
public:
    explicit SettingsStore(const QString &application = QStringLiteral("Pellarin"));
    ~SettingsStore();
    SettingsStore(SettingsStore &&) noexcept;
    SettingsStore &operator=(SettingsStore &&) noexcept;

    QString read(const QString &section, const QString &key, const QString &defaultValue) const;
    void write(const QString &section, const QString &key, const QString &value);
    void deleteSection(const QString &section);

    // Batches nest; the outermost endBatch() writes the file. A batch must end
    // before control returns to the event loop, where QSettings would write
    // the pending changes on its own.
    void beginBatch();
    void endBatch();

    QString fileName() const;

private:
    void commit();

    QString m_application;
    QString m_fileName;
    std::unique_ptr<QSettings> m_settings;
    int m_batchDepth = 0;
};
