// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modem/modemscan.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class Dialogs;
class Form1Ui;
class ModemSession;
class PortMap;
class SettingsStore;

// The Comms Port Setup page below its two lists: the device the chosen comm
// port maps to and what it is, the devices present to map it to (written to
// "Ports"), and "Find Modem". While the page shows, a cheap timer notices
// devices that come or go; hidden, it costs nothing.
class CommsPage final : public QObject
{
    Q_OBJECT

public:
    struct Platform
    {
        ModemSession &session;
        PortMap &portMap;
        SettingsStore &settings;
        Dialogs &dialogs;
    };

    static constexpr std::chrono::milliseconds kPollInterval{1500};

    CommsPage(Form1Ui &ui, const Platform &platform, QObject *parent = nullptr);

    // Shows the device line and the list afresh.
    void refresh();
    // "Find Modem": runs the scan, then connects where the modem answered.
    void findModem();
    // Maps the chosen comm port to the device at this list index.
    void chooseDevice(int index);
    // Maps the chosen comm port to a device or network port typed into the
    // list, once it names one.
    void enterDevice(const QString &text);

    ModemScan &scan() { return m_scan; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wire();
    void poll();
    void showDeviceLine();
    void fillDeviceList();
    void showChosenDevice();
    int portNumber() const;
    void showTrying(const QString &device, const QString &rate, int attempt, int attempts);
    void setScanning(bool scanning);
    void connectFound(const ModemScan::Outcome &outcome);
    bool mapPort(int portNumber, const QString &device);

    Form1Ui &m_ui;
    Platform m_platform;
    ModemScan m_scan;
    QTimer m_poll;
    QStringList m_signature;
};
