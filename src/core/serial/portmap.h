// SPDX-License-Identifier: GPL-3.0-or-later
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
    // The numbers a comm port can have: the list offers 1 to 15, the "Ports"
    // section may name devices for more.
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 255;
    static constexpr int kListedPorts = 15;

    explicit PortMap(const SettingsStore &store);

    // Whether the text, blanks aside, is a whole number a comm port can have.
    static bool isPortNumber(const QString &text);

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
    // For help texts: a device as users of this system name one (a USB
    // adapter), and the rule defaultDevice follows.
    static QString exampleDevice();
    static QString defaultDeviceRule();

private:
    const SettingsStore &m_store;
    QHash<int, QString> m_standIns;
};
