// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsstore.h"

#include <QSettings>
#include <QStringList>

namespace {
QString settingsKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

SettingsStore::SettingsStore(const QString &iniFile)
    : m_settings(iniFile.isEmpty()
                     ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                   QStringLiteral("MIRAN"), QStringLiteral("MIRAN"))
                     : std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
    checkDamage();
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::read(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const QVariant value = m_settings->value(settingsKey(section, key));
    if (!value.isValid())
        return defaultValue;
    // A hand-edited value with an unquoted comma comes back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SettingsStore::checkDamage()
{
    // QSettings reads a section only when it is first used, and saving
    // rewrites the whole file without the lines it could not read. Read it
    // all now, so that a damaged file is known before anything is saved.
    m_settings->allKeys();
    m_damaged = m_settings->status() == QSettings::FormatError;
}

void SettingsStore::write(const QString &section, const QString &key, const QString &value)
{
    // A damaged file is left as it is; flush() says so.
    if (m_damaged)
        return;
    m_settings->setValue(settingsKey(section, key), value);
}

QString SettingsStore::flush()
{
    if (m_damaged)
        return damagedMessage();
    m_settings->sync();
    switch (m_settings->status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return QStringLiteral("The settings could not be saved to %1: the file or its folder "
                              "cannot be written. Check its permissions.")
            .arg(fileName());
    case QSettings::FormatError:
        return damagedMessage();
    }
    return {};
}

QString SettingsStore::damagedMessage() const
{
    return QStringLiteral("The settings file %1 is damaged and was not overwritten. "
                          "Remove or repair it to save settings again.")
        .arg(fileName());
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}
