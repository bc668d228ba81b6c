// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class QSettings;

// The per-user settings store: text values addressed by section and key under
// the application "MIRAN", kept in an INI file.
class SettingsStore
{
public:
    // A store in the given INI file, for tests and for a private run; with no
    // file, the user's own store (on Linux $XDG_CONFIG_HOME/MIRAN/MIRAN.ini).
    explicit SettingsStore(const QString &iniFile = {});
    ~SettingsStore();

    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    QString read(const QString &section, const QString &key, const QString &defaultValue) const;
    void write(const QString &section, const QString &key, const QString &value);

    // Writes pending changes to disk. Returns an empty text on success, else a
    // sentence that says what could not be saved, for the user. A file that
    // was damaged when the store opened it is never written.
    QString flush();

    QString fileName() const;

private:
    void checkDamage();
    QString damagedMessage() const;

    std::unique_ptr<QSettings> m_settings;
    // The file held lines QSettings cannot read: writes are refused.
    bool m_damaged = false;
};
