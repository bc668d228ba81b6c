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

    // Maps the number to a device in memory only, ahead of the store, until
    // released: a scan tries a device without remapping the user's port.
    void stand(int portNumber, const QString &device);
    void release(int portNumber);
    bool hasStandIn(int portNumber) const { return m_standIns.contains(portNumber); }

    // The lowest number from first to last that maps to this device, or 0.
    int numberOf(const QString &device, int first, int last) const;

    // Writes the number's device into the store's "Ports" section.
    static void assign(SettingsStore &store, int portNumber, const QString &device);

    static QString defaultDevice(int portNumber);

private:
    const SettingsStore &m_store;
    QHash<int, QString> m_standIns;
};
