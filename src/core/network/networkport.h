// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "telnetstream.h"

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>

#include <chrono>
#include <functional>
#include <optional>

// A serial line reached over the network, named like a device:
// "rfc2217://HOST:PORT" is a telnet connection to a serial server that sets
// the far end's line rate and framing (RFC 2217); "tcp://HOST:PORT" carries
// the data only, at whatever rate the server's line is set to.
//
// Opening and rate changes wait for the server, at most kConnectTimeout, with
// the event loop held: the caller gets an open port or a Failure, as with a
// local device. Data is the line's bytes, IAC doubling undone.
class NetworkPort final : public QObject
{
    Q_OBJECT

public:
    enum class Kind
    {
        Rfc2217,
        Raw,
    };

    struct Address
    {
        Kind kind = Kind::Rfc2217;
        QString host;
        quint16 port = 0;
    };

    static constexpr std::chrono::seconds kConnectTimeout{5};

    // Whether the name has a network scheme, well formed or not.
    static bool isNetworkName(const QString &name);
    // The name's parts, or nothing when it is not a well-formed network name.
    static std::optional<Address> address(const QString &name);
    // A raw TCP port: its line rate is the server's, not the program's.
    static bool hasFixedRate(const QString &name);

    explicit NetworkPort(QObject *parent = nullptr);
    ~NetworkPort() override;

    // Connects, and over RFC 2217 sets the rate and 8N1 and waits for the
    // server to confirm the rate. Throws Failure.
    void open(const QString &name, qint32 rate);
    void setBaudRate(qint32 rate);
    bool isOpen() const { return m_open; }
    void write(QByteArrayView data);
    QByteArray readAll();
    void close();

Q_SIGNALS:
    void readyRead();
    // The connection ended under the program; the port is already closed.
    // The reason is a short clause, "the server closed it".
    void lost(const QString &reason);

private:
    void socketReadable();
    void socketGone();
    void requestRate(qint32 rate);
    // Lets the socket work until done() holds, the deadline passes or the
    // connection ends; true when done() held.
    bool waitUntil(const std::function<bool()> &done);
    [[noreturn]] void failOpen(const QString &description);
    QString connectFailure() const;

    QTcpSocket m_socket;
    TelnetStream m_telnet;
    Address m_address;
    QString m_name;
    QByteArray m_data;
    bool m_open = false;
    // While the port waits for the server, received data is kept without
    // being announced: nobody may read in the middle of an open or a rate
    // change.
    bool m_waiting = false;
};
