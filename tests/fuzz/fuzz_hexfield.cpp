// SPDX-License-Identifier: GPL-3.0-or-later
// The strict reading of the hexadecimal address fields: "&H" and any bytes as
// Latin-1 text through toInteger.
#include "fuzzcheck.h"

#include "modem/numberreader.h"

#include <cstdint>
#include <optional>

using fuzzcheck::Outcome;
using fuzzcheck::outcomeOf;
using fuzzcheck::require;

namespace {

Outcome strictHex(const QString &text)
{
    return outcomeOf([&text] { return NumberReader::toInteger(QStringLiteral("&H") + text); });
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// What "&H" and a text of hexadecimal digits (blanks after them allowed) must
// read as: up to four significant digits a 16-bit signed value, five to eight
// a 32-bit one that must fit in 16 bits, more an overflow. Nothing at all or a
// blank right after "&H" is a mismatch. Nothing expected for any other text.
std::optional<Outcome> expectedHex(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    const QString digits = text.left(end);
    if (digits.isEmpty() || digits.front().isSpace())
        return Outcome{FailureNumber::TypeMismatch, 0.0};
    std::uint64_t value = 0;
    int significant = 0;
    for (const QChar c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        if (value == 0 && digit == 0)
            continue;
        value = (value << 4 | static_cast<std::uint64_t>(digit)) & 0xFFFFFFFF;
        ++significant;
    }
    const Outcome overflow{FailureNumber::Overflow, 0.0};
    if (significant > 8)
        return overflow;
    if (significant <= 4)
        return Outcome{0, static_cast<double>(static_cast<std::int16_t>(value))};
    const auto wide = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (wide < INT16_MIN || wide > INT16_MAX)
        return overflow;
    return Outcome{0, static_cast<double>(wide)};
}

void checkOutcome(const Outcome &read)
{
    require(!read.failed() || read.failure == FailureNumber::TypeMismatch ||
                read.failure == FailureNumber::Overflow,
            "a hex field fails only with TypeMismatch or Overflow");
    require(read.failed() || (read.value >= INT16_MIN && read.value <= INT16_MAX),
            "a hex field reads as a 16-bit value");
}

void checkDigits(const QString &text, const Outcome &read)
{
    if (const std::optional<Outcome> expected = expectedHex(text))
        require(read == *expected, "hexadecimal digits read as their value");
}

// One or two hex digits of a byte, in either case, read back as the byte.
void checkByte(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return;
    const int byte = data[0];
    const QString digits = QString::number(byte, 16);
    for (const QString &text : {digits, digits.toUpper(), digits.rightJustified(2, u'0')})
        require(NumberReader::toInteger(QStringLiteral("&H") + text) == byte,
                "a byte's hex digits read back as the byte");
}

void checkCase(const QString &text, const Outcome &read)
{
    require(strictHex(text.toUpper()) == read, "upper case keeps the reading");
    require(strictHex(text.toLower()) == read, "lower case keeps the reading");
    require(outcomeOf([&text] { return NumberReader::toInteger(QStringLiteral("&h") + text); }) ==
                read,
            "a lower-case prefix keeps the reading");
}

// A strict hex reading gives the same as the lenient one of the same text.
void checkLenient(const QString &text, const Outcome &read)
{
    if (read.failed())
        return;
    const Outcome lenient =
        outcomeOf([&text] { return NumberReader::leadingValue(QStringLiteral("&H") + text); });
    require(lenient == read, "strict and lenient hex readings agree");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzzcheck::latin1(data, size);
    const Outcome read = strictHex(text);
    checkOutcome(read);
    checkDigits(text, read);
    checkByte(data, size);
    checkCase(text, read);
    checkLenient(text, read);
    return 0;
}
