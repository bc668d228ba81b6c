// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// ser2net, the serial server, in a child process on 127.0.0.1 in front of one
// device: an RFC 2217 port and a raw TCP port, each on a free port number.
// Stopped with SIGKILL when the object goes, as a server that dies would.
class Ser2Net
{
public:
    // The ser2net program, or empty when it is not installed.
    static QString program();

    // Starts the server for the device, its line set to the rate when a
    // client connects (the raw port keeps it), and waits until both ports
    // take connections.
    Ser2Net(const QString &device, int rate);
    ~Ser2Net();

    Ser2Net(const Ser2Net &) = delete;
    Ser2Net &operator=(const Ser2Net &) = delete;

    bool isReady() const { return m_ready; }
    QString errorString() const { return m_error; }

    QString rfc2217Name() const;
    QString tcpName() const;
    quint16 rfc2217Port() const { return m_rfc2217Port; }

    // Ends the server at once: every connection closes under its client.
    void kill();

private:
    bool waitForPort(quint16 port);

    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_rfc2217Port = 0;
    quint16 m_tcpPort = 0;
    bool m_ready = false;
    QString m_error;
};
