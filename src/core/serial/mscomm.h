// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commcontrol.h"
#include "localport.h"
#include "network/networkport.h"
#include "portmap.h"
#include "system/failure.h"

#include <QByteArray>

// The serial-port component: a device of this machine (LocalPort), or a serial
// server's port when the device is named rfc2217://HOST:PORT or
// tcp://HOST:PORT (NetworkPort). Its users never know which. Received bytes
// are taken from the port in one read and handed out one per OnComm event.
class MSComm final : public CommControl
{
    Q_OBJECT

public:
    explicit MSComm(const PortMap &portMap, QObject *parent = nullptr);
    ~MSComm() override;

    void setSettings(const QString &settings) override;
    void setCommPort(int portNumber) override;
    bool portOpen() const override;
    void setPortOpen(bool open) override;
    void setOutput(const QString &text) override;
    QString input() override;
    QString inputWaiting() override;

    QString device() const;
    qint32 baudRate() const { return m_baudRate; }

private:
    void open();
    void opened(const QString &path);
    // The comm port number the user chose, or 0 when a device stands in for it.
    int chosenNumber() const;
    void close();
    void readArrived();
    void raiseEvents();
    void deviceGone();
    void networkLost(const QString &reason);
    void lose(const QString &description, int number);
    qsizetype waiting() const { return m_received.size() - m_readPos; }

    const PortMap &m_portMap;
    LocalPort m_port;
    NetworkPort m_network;
    qint32 m_baudRate = 9600;
    int m_commPort = 1;
    // The device as mapped when the port was opened.
    QString m_openPath;
    // Why the port closed under the program, until the next open.
    QString m_lostDescription;
    QByteArray m_received;
    qsizetype m_readPos = 0;
    bool m_raising = false;
};
