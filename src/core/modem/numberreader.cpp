// SPDX-License-Identifier: GPL-3.0-or-later
#include "numberreader.h"

#include "system/failure.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace {
Failure typeMismatch()
{
    return Failure(FailureNumber::TypeMismatch, QStringLiteral("Type mismatch"));
}

Failure overflow()
{
    return Failure(FailureNumber::Overflow, QStringLiteral("Overflow"));
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
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

// The exponent after 'e' in the form scanNumber builds, saturated far beyond
// any mantissa's length so that its sign always wins.
long long exponentOf(std::string_view ascii)
{
    constexpr long long kSaturated = 1'000'000'000'000;
    const std::size_t marker = ascii.find('e');
    if (marker == std::string_view::npos)
        return 0;
    std::size_t i = marker + 1;
    const bool negative = i < ascii.size() && ascii[i] == '-';
    if (i < ascii.size() && (ascii[i] == '-' || ascii[i] == '+'))
        ++i;
    long long exponent = 0;
    for (; i < ascii.size(); ++i)
        exponent = std::min(exponent * 10 + (ascii[i] - '0'), kSaturated);
    return negative ? -exponent : exponent;
}

// The decimal order of a number's first significant digit in the form
// scanNumber builds ("-12.5e-3"): 1 for 12.5, -1 for 0.5, -2 for 0.05.
long long decimalOrder(std::string_view ascii)
{
    std::string_view mantissa = ascii.substr(0, ascii.find('e'));
    if (!mantissa.empty() && mantissa.front() == '-')
        mantissa.remove_prefix(1);
    long long order = -1;
    bool significant = false;
    bool fraction = false;
    for (const char c : mantissa) {
        if (c == '.') {
            fraction = true;
        } else if (!significant && c == '0') {
            order -= fraction ? 1 : 0;
        } else {
            order += fraction ? 0 : 1;
            significant = true;
        }
    }
    return order + exponentOf(ascii);
}

bool isHexPrefix(const QString &text, qsizetype pos)
{
    return pos + 1 < text.size() && text.at(pos) == QLatin1Char('&') &&
           (text.at(pos + 1) == QLatin1Char('H') || text.at(pos + 1) == QLatin1Char('h'));
}
} // namespace

struct NumberReader::Scan
{
    const QString &text;
    qsizetype pos = 0;
    bool foundDigits = false;

    bool atEnd() const { return pos >= text.size(); }
    QChar peek(qsizetype ahead = 0) const
    {
        return pos + ahead < text.size() ? text.at(pos + ahead) : QChar();
    }
};

// Reads an optional sign, digits, an optional fraction and an optional
// exponent from the scan position, as far as they form a number.
double NumberReader::scanNumber(Scan &scan)
{
    std::string ascii;
    if (scan.peek() == QLatin1Char('-'))
        ascii += '-';
    if (scan.peek() == QLatin1Char('+') || scan.peek() == QLatin1Char('-'))
        ++scan.pos;
    const auto takeDigits = [&scan, &ascii] {
        while (isDigit(scan.peek())) {
            ascii += static_cast<char>(scan.text.at(scan.pos++).unicode());
            scan.foundDigits = true;
        }
    };
    takeDigits();
    if (scan.peek() == QLatin1Char('.')) {
        ascii += '.';
        ++scan.pos;
        takeDigits();
    }
    if (!scan.foundDigits)
        return 0.0;
    const QChar marker = scan.peek().toUpper();
    if (marker == QLatin1Char('E') || marker == QLatin1Char('D')) {
        qsizetype digitsAt = 1;
        if (scan.peek(1) == QLatin1Char('+') || scan.peek(1) == QLatin1Char('-'))
            digitsAt = 2;
        if (isDigit(scan.peek(digitsAt))) {
            ascii += 'e';
            if (digitsAt == 2)
                ascii += static_cast<char>(scan.peek(1).unicode());
            scan.pos += digitsAt;
            while (isDigit(scan.peek()))
                ascii += static_cast<char>(scan.text.at(scan.pos++).unicode());
        }
    }
    // from_chars ignores the process locale, which Qt sets from the user's.
    double value = 0.0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too small for a double reads as zero, as the classic runtime does;
        // only too large is an overflow.
        if (decimalOrder(ascii) < 0)
            return ascii.front() == '-' ? -0.0 : 0.0;
        throw overflow();
    }
    return value;
}

// Reads "&H" and the hexadecimal digits after it. Up to four significant
// digits make a 16-bit value and up to eight a 32-bit one, both signed, as the
// classic runtime reads hexadecimal literals.
double NumberReader::scanHex(Scan &scan)
{
    scan.pos += 2;
    std::uint64_t value = 0;
    int significant = 0;
    for (int digit = hexDigit(scan.peek()); digit >= 0; digit = hexDigit(scan.peek())) {
        ++scan.pos;
        scan.foundDigits = true;
        if (value == 0 && digit == 0)
            continue;
        if (++significant > 8)
            throw overflow();
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    if (significant <= 4)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int16_t NumberReader::toInteger(const QString &text)
{
    const QString trimmed = text.trimmed();
    Scan scan{trimmed};
    const double value = isHexPrefix(trimmed, 0) ? scanHex(scan) : scanNumber(scan);
    if (!scan.foundDigits || !scan.atEnd())
        throw typeMismatch();
    return roundToInteger(value);
}

double NumberReader::leadingValue(const QString &text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            compact.append(c);
    }
    Scan scan{compact};
    return isHexPrefix(compact, 0) ? scanHex(scan) : scanNumber(scan);
}

std::int16_t NumberReader::roundToInteger(double value)
{
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max()))
        throw overflow();
    return static_cast<std::int16_t>(rounded);
}
