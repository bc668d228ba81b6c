#pragma once

#include <QHash>
#include <QString>

class SettingsStore;

// Maps comm port numbers to devices. The "Ports" section of the settings store
// names a device per number ("3=/dev/ttyUSB0"); an unnamed number maps to the
// platform's classic serial device for it.
class PortMap
{
public:
    explicit PortMap(const SettingsStore &store);

    QString device(int portNumber) const;

    // Maps a number to a device for this run only, over the settings store;
    // nothing is saved. A front end given a device path opens it this way.
    void mapForThisRun(int portNumber, const QString &device);

    static QString defaultDevice(int portNumber);

private:
    const SettingsStore &m_store;
    QHash<int, QString> m_runMappings;
};
