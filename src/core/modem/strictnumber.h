// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QJsonValue;

// Values read strictly, as the command line's options and the configuration
// files take them: a value is taken only when it is exactly in the allowed
// form, never read leniently or cut to fit. (The window's fields are read
// leniently, by NumberReader.)
class StrictNumber
{
public:
    static constexpr quint32 kLargestByte = 255;

    // An address's digits, either case.
    static std::optional<quint32> address(const QString &text);
    // A whole decimal number from 0 to kLargestByte: digits only.
    static std::optional<quint32> byte(const QString &text);
    // A comm port number a port map takes.
    static std::optional<int> comm(const QString &text);
    // A baud rate from 1 to the highest the serial component takes.
    static std::optional<qint32> baud(const QString &text);

    // A JSON text holding an address; one line feed may end it.
    static std::optional<quint32> jsonAddress(const QJsonValue &value);
    // A whole JSON number from 0 to kLargestByte.
    static std::optional<quint32> jsonByte(const QJsonValue &value);

    // The allowed forms, for messages.
    static QString addressForm();
    static QString byteForm();
    static QString commForm();
    static QString baudForm();

private:
    static std::optional<quint64> decimal(const QString &text);
};
