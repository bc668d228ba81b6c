// SPDX-License-Identifier: GPL-3.0-or-later
#include "strictnumber.h"

#include "address/addressentry.h"
#include "serial/commcontrol.h"
#include "serial/portmap.h"

#include <QJsonValue>

#include <algorithm>

namespace {
// Longer decimal texts are out of every range here and would overflow.
constexpr int kLongestDecimal = 10;

bool isDecimalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

std::optional<quint64> StrictNumber::decimal(const QString &text)
{
    if (text.isEmpty() || text.size() > kLongestDecimal ||
        !std::all_of(text.cbegin(), text.cend(), isDecimalDigit))
        return std::nullopt;
    return text.toULongLong();
}

std::optional<quint32> StrictNumber::address(const QString &text)
{
    return AddressEntry::value(text);
}

std::optional<quint32> StrictNumber::byte(const QString &text)
{
    const auto value = decimal(text);
    if (!value || *value > kLargestByte)
        return std::nullopt;
    return static_cast<quint32>(*value);
}

std::optional<int> StrictNumber::comm(const QString &text)
{
    const auto value = decimal(text);
    if (!value || *value < static_cast<quint64>(PortMap::kFirstPort) ||
        *value > static_cast<quint64>(PortMap::kLastPort))
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<qint32> StrictNumber::baud(const QString &text)
{
    const auto value = decimal(text);
    if (!value || *value < 1 || *value > static_cast<quint64>(CommControl::kHighestRate))
        return std::nullopt;
    return static_cast<qint32>(*value);
}

std::optional<quint32> StrictNumber::jsonAddress(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    QString text = value.toString();
    // One line feed at the end is not part of the address: files have always
    // been read so.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return address(text);
}

std::optional<quint32> StrictNumber::jsonByte(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // toInt() is 0 for a number with a fraction, so only whole numbers match it.
    if (number < 0 || number > kLargestByte || number != static_cast<double>(value.toInt()))
        return std::nullopt;
    return static_cast<quint32>(value.toInt());
}

QString StrictNumber::addressForm()
{
    return QStringLiteral("exactly %1 hexadecimal digits").arg(AddressEntry::kLength);
}

QString StrictNumber::byteForm()
{
    return QStringLiteral("a whole decimal number from 0 to %1").arg(kLargestByte);
}

QString StrictNumber::commForm()
{
    return QStringLiteral("a comm port number from %1 to %2")
        .arg(PortMap::kFirstPort)
        .arg(PortMap::kLastPort);
}

QString StrictNumber::baudForm()
{
    return QStringLiteral("a whole number of baud from 1 to %1").arg(CommControl::kHighestRate);
}
