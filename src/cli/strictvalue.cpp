// SPDX-License-Identifier: GPL-3.0-or-later
#include "strictvalue.h"

namespace {
constexpr int kAddressDigits = 8;
// Longer decimal texts are out of every range here and would overflow.
constexpr int kLongestDecimal = 10;

bool isDigit(QChar c, int base)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return true;
    const QChar lower = c.toLower();
    return base == 16 && lower >= QLatin1Char('a') && lower <= QLatin1Char('f');
}
} // namespace

std::optional<quint64> StrictValue::digits(const QString &text, int base, int maxLength)
{
    if (text.isEmpty() || text.size() > maxLength)
        return std::nullopt;
    for (const QChar c : text) {
        if (!isDigit(c, base))
            return std::nullopt;
    }
    return text.toULongLong(nullptr, base);
}

std::optional<quint32> StrictValue::address(const QString &text)
{
    if (text.size() != kAddressDigits)
        return std::nullopt;
    const auto value = digits(text, 16, kAddressDigits);
    return value ? std::optional<quint32>(static_cast<quint32>(*value)) : std::nullopt;
}

std::optional<quint32> StrictValue::byte(const QString &text)
{
    const auto value = digits(text, 10, kLongestDecimal);
    if (!value || *value > kLargestByte)
        return std::nullopt;
    return static_cast<quint32>(*value);
}

std::optional<int> StrictValue::comm(const QString &text)
{
    const auto value = digits(text, 10, kLongestDecimal);
    if (!value || *value < 1 || *value > kLargestComm)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<qint32> StrictValue::baud(const QString &text)
{
    const auto value = digits(text, 10, kLongestDecimal);
    if (!value || *value < 1 || *value > static_cast<quint64>(kHighestBaud))
        return std::nullopt;
    return static_cast<qint32>(*value);
}
