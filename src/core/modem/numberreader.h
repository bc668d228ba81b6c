// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>

// The number reading of the configuration fields, with the rules of the
// modem tools' classic runtime. Failures are thrown as Failure with the
// numbers TypeMismatch and Overflow.
class NumberReader
{
public:
    // Strict conversion of a whole text to a 16-bit integer: blanks around
    // it, an optional sign, digits with an optional fraction and exponent, or
    // "&H" and hexadecimal digits. Anything else is a type mismatch.
    static std::int16_t toInteger(const QString &text);

    // Lenient reading: blanks, tabs and line feeds are ignored wherever they
    // stand, the longest leading part that forms a number is taken and the
    // rest ignored; no number at all reads as 0.
    static double leadingValue(const QString &text);

    // Rounds to the nearest whole number, an exact half to the even one;
    // outside the 16-bit signed range is an overflow.
    static std::int16_t roundToInteger(double value);

private:
    struct Scan;
    static double scanNumber(Scan &scan);
    static double scanHex(Scan &scan);
};
