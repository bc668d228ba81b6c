// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <bitset>
#include <optional>

// The client's side of a telnet connection that carries a serial line with
// the COM-PORT-OPTION (RFC 2217): data bytes with IAC (0xFF) doubled, option
// negotiation, and the server's answers to rate and framing requests. Knows
// nothing of sockets: bytes go in, data and the bytes to send back come out.
class TelnetStream
{
public:
    // What the server's bytes held.
    struct Taken
    {
        QByteArray data;
        // Negotiation answers to send to the server, in order.
        QByteArray reply;
    };

    enum class ComPort
    {
        Unknown,
        Accepted,
        Refused,
    };

    // The opening a client sends: it offers COM-PORT-OPTION and asks for
    // binary transmission both ways and no go-ahead.
    static QByteArray opening();
    // Sets the line rate, and 8 data bits, no parity, 1 stop bit, no flow
    // control.
    static QByteArray setRate(quint32 rate);
    static QByteArray setFraming8N1();
    // Data as it goes to the server: IAC doubled.
    static QByteArray escaped(QByteArrayView data);

    // Takes the next bytes from the server; sequences may be split anywhere.
    Taken take(QByteArrayView bytes);

    ComPort comPort() const { return m_comPort; }
    // The rate the server last reported it set, if it has reported one.
    std::optional<quint32> reportedRate() const { return m_reportedRate; }
    void forgetReportedRate() { m_reportedRate.reset(); }

private:
    enum class State
    {
        Data,
        Command,
        Option,
        Sub,
        SubCommand,
    };

    void option(quint8 verb, quint8 code, QByteArray &reply);
    void subnegotiation();

    State m_state = State::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    // Options in force on our side (we WILL) and on the server's (it WILL).
    std::bitset<256> m_ours;
    std::bitset<256> m_theirs;
    ComPort m_comPort = ComPort::Unknown;
    std::optional<quint32> m_reportedRate;
};
