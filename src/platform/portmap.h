#pragma once

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

    static QString defaultDevice(int portNumber);

private:
    const SettingsStore &m_store;
};
