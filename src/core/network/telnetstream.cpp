// SPDX-License-Identifier: GPL-3.0-or-later
#include "telnetstream.h"

#include <initializer_list>

namespace {
constexpr quint8 kIac = 255;
constexpr quint8 kDont = 254;
constexpr quint8 kDo = 253;
constexpr quint8 kWont = 252;
constexpr quint8 kWill = 251;
constexpr quint8 kSb = 250;
constexpr quint8 kSe = 240;

constexpr quint8 kBinary = 0;
constexpr quint8 kSuppressGoAhead = 3;
constexpr quint8 kComPortOption = 44;

// COM-PORT-OPTION commands a client sends; the server answers each with the
// command plus 100.
constexpr quint8 kSetBaudRate = 1;
constexpr quint8 kSetDataSize = 2;
constexpr quint8 kSetParity = 3;
constexpr quint8 kSetStopSize = 4;
constexpr quint8 kSetControl = 5;
constexpr quint8 kServerOffset = 100;
constexpr quint8 kDataBits = 8;
constexpr quint8 kParityNone = 1;
constexpr quint8 kOneStopBit = 1;
constexpr quint8 kNoFlowControl = 1;
// A subnegotiation is a few bytes; a longer one is a broken server and is
// cut off rather than kept.
constexpr qsizetype kLongestSub = 64;

QByteArray bytes(std::initializer_list<quint8> values)
{
    QByteArray array;
    array.reserve(static_cast<qsizetype>(values.size()));
    for (const quint8 value : values)
        array.append(static_cast<char>(value));
    return array;
}

QByteArray command(quint8 verb, quint8 code)
{
    return bytes({kIac, verb, code});
}

QByteArray comPortCommand(quint8 code, QByteArrayView value)
{
    QByteArray sequence = bytes({kIac, kSb, kComPortOption, code});
    sequence += TelnetStream::escaped(value);
    sequence += bytes({kIac, kSe});
    return sequence;
}

QByteArray oneByte(quint8 value)
{
    return bytes({value});
}

// The options this client takes on its own side and on the server's.
bool weDo(quint8 code)
{
    return code == kBinary || code == kSuppressGoAhead || code == kComPortOption;
}

bool theyMay(quint8 code)
{
    return code == kBinary || code == kSuppressGoAhead;
}
} // namespace

QByteArray TelnetStream::opening()
{
    QByteArray sequence = command(kWill, kComPortOption);
    sequence += command(kWill, kBinary);
    sequence += command(kDo, kBinary);
    sequence += command(kWill, kSuppressGoAhead);
    sequence += command(kDo, kSuppressGoAhead);
    return sequence;
}

QByteArray TelnetStream::setRate(quint32 rate)
{
    return comPortCommand(kSetBaudRate,
                          bytes({static_cast<quint8>(rate >> 24), static_cast<quint8>(rate >> 16),
                                 static_cast<quint8>(rate >> 8), static_cast<quint8>(rate)}));
}

QByteArray TelnetStream::setFraming8N1()
{
    QByteArray sequence = comPortCommand(kSetDataSize, oneByte(kDataBits));
    sequence += comPortCommand(kSetParity, oneByte(kParityNone));
    sequence += comPortCommand(kSetStopSize, oneByte(kOneStopBit));
    sequence += comPortCommand(kSetControl, oneByte(kNoFlowControl));
    return sequence;
}

QByteArray TelnetStream::escaped(QByteArrayView data)
{
    QByteArray bytes;
    bytes.reserve(data.size() + data.count(static_cast<char>(kIac)));
    for (const char byte : data) {
        bytes.append(byte);
        if (static_cast<quint8>(byte) == kIac)
            bytes.append(byte);
    }
    return bytes;
}

TelnetStream::Taken TelnetStream::take(QByteArrayView bytes)
{
    Taken taken;
    taken.data.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<quint8>(c);
        switch (m_state) {
        case State::Data:
            if (byte == kIac)
                m_state = State::Command;
            else
                taken.data.append(c);
            break;
        case State::Command:
            if (byte == kIac) {
                taken.data.append(c);
                m_state = State::Data;
            } else if (byte >= kWill) {
                m_verb = byte;
                m_state = State::Option;
            } else if (byte == kSb) {
                m_sub.clear();
                m_state = State::Sub;
            } else {
                // NOP, GA, a stray SE and the like carry nothing for us.
                m_state = State::Data;
            }
            break;
        case State::Option:
            option(m_verb, byte, taken.reply);
            m_state = State::Data;
            break;
        case State::Sub:
            if (byte == kIac)
                m_state = State::SubCommand;
            else if (m_sub.size() < kLongestSub)
                m_sub.append(c);
            break;
        case State::SubCommand:
            if (byte == kSe) {
                subnegotiation();
                m_state = State::Data;
            } else {
                // IAC IAC is a data byte of the subnegotiation; anything else
                // after IAC ends a malformed one, which is dropped.
                if (byte == kIac && m_sub.size() < kLongestSub)
                    m_sub.append(c);
                m_state = byte == kIac ? State::Sub : State::Data;
            }
            break;
        }
    }
    return taken;
}

void TelnetStream::option(quint8 verb, quint8 code, QByteArray &reply)
{
    // Each side answers only a request that changes the option's state, so
    // two peers never loop on the same option.
    switch (verb) {
    case kDo:
        // The opening offered every option this client takes, so a DO of
        // one of them is the answer to it.
        if (code == kComPortOption)
            m_comPort = ComPort::Accepted;
        if (weDo(code))
            m_ours[code] = true;
        else
            reply += command(kWont, code);
        break;
    case kDont:
        if (code == kComPortOption)
            m_comPort = ComPort::Refused;
        if (m_ours[code]) {
            m_ours[code] = false;
            reply += command(kWont, code);
        }
        break;
    case kWill:
        if (theyMay(code))
            m_theirs[code] = true;
        else
            reply += command(kDont, code);
        break;
    case kWont:
        if (m_theirs[code]) {
            m_theirs[code] = false;
            reply += command(kDont, code);
        }
        break;
    }
}

void TelnetStream::subnegotiation()
{
    // IAC SB COM-PORT-OPTION SET-BAUDRATE+100 <4 bytes, network order> IAC SE
    if (m_sub.size() == 6 && static_cast<quint8>(m_sub.at(0)) == kComPortOption &&
        static_cast<quint8>(m_sub.at(1)) == kSetBaudRate + kServerOffset) {
        quint32 rate = 0;
        for (qsizetype i = 2; i < 6; ++i)
            rate = (rate << 8) | static_cast<quint8>(m_sub.at(i));
        m_reportedRate = rate;
    }
}
