// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The command line's values, read strictly: a value is taken only when it is
// exactly in the allowed form, never read leniently or cut to fit.
class StrictValue
{
public:
    static constexpr quint32 kLargestByte = 255;
    static constexpr int kLargestComm = 255;
    static constexpr qint32 kHighestBaud = 4'000'000;

    // Exactly 8 hexadecimal digits, either case.
    static std::optional<quint32> address(const QString &text);
    // A whole decimal number from 0 to 255: digits only.
    static std::optional<quint32> byte(const QString &text);
    // A comm port number from 1 to 255.
    static std::optional<int> comm(const QString &text);
    // A baud rate from 1 to 4000000.
    static std::optional<qint32> baud(const QString &text);

    // The allowed forms, for messages.
    static QString addressForm() { return QStringLiteral("exactly 8 hexadecimal digits"); }
    static QString byteForm() { return QStringLiteral("a whole decimal number from 0 to 255"); }
    static QString commForm() { return QStringLiteral("a comm port number from 1 to 255"); }
    static QString baudForm() { return QStringLiteral("a whole number of baud from 1 to 4000000"); }

private:
    static std::optional<quint64> digits(const QString &text, int base, int maxLength);
};
