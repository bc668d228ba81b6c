// SPDX-License-Identifier: GPL-3.0-or-later
// The lenient reading of the decimal fields: any bytes as Latin-1 text through
// leadingValue and roundToInteger, and the strict toInteger beside it.
#include "fuzzcheck.h"

#include "modem/numberreader.h"

#include <cmath>
#include <cstdint>
#include <limits>

using fuzzcheck::Outcome;
using fuzzcheck::outcomeOf;
using fuzzcheck::require;

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

Outcome lenient(const QString &text)
{
    return outcomeOf([&text] { return NumberReader::leadingValue(text); });
}

QString withoutBlanks(const QString &text)
{
    QString compact;
    for (const QChar c : text) {
        if (!isBlank(c))
            compact.append(c);
    }
    return compact;
}

// A blank, tab or line feed after every character, picked by the character.
QString withBlanks(const QString &text)
{
    static constexpr char16_t kBlanks[] = {u' ', u'\t', u'\n'};
    QString spread;
    for (const QChar c : text) {
        spread.append(c);
        spread.append(QChar(kBlanks[c.unicode() % 3]));
    }
    return spread;
}

QString digitsOf(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (isDigit(c))
            digits.append(c);
    }
    return digits;
}

// Only Overflow can stop the lenient reading, and a value read is finite.
void checkLenientOutcome(const Outcome &outcome)
{
    require(!outcome.failed() || outcome.failure == FailureNumber::Overflow,
            "leadingValue fails only with Overflow");
    require(std::isfinite(outcome.value), "leadingValue gives a finite value");
}

// Nearest whole number, an exact half to the even one, or Overflow outside
// the 16-bit range.
void checkRounding(double value)
{
    const Outcome rounded = outcomeOf([value] { return NumberReader::roundToInteger(value); });
    const double nearest = std::nearbyint(value);
    const bool inRange = nearest >= std::numeric_limits<std::int16_t>::min() &&
                         nearest <= std::numeric_limits<std::int16_t>::max();
    if (!inRange) {
        require(rounded.failure == FailureNumber::Overflow, "out of range rounds to Overflow");
        return;
    }
    require(!rounded.failed(), "in range rounds without failure");
    const double distance = std::fabs(rounded.value - value);
    require(distance <= 0.5, "rounding moves by half at most");
    if (distance == 0.5)
        require(std::fmod(rounded.value, 2.0) == 0.0, "a half rounds to even");
}

void checkBlanksIgnored(const QString &text, const Outcome &read)
{
    require(lenient(withoutBlanks(text)) == read, "removing blanks keeps the reading");
    require(lenient(withBlanks(text)) == read, "inserting blanks keeps the reading");
}

// A comma, and any white space other than blanks, tabs and line feeds, ends
// every number, so whatever follows it is ignored.
void checkRestIgnored(const QString &text, const Outcome &read)
{
    static constexpr char16_t kEnds[] = {u',', u'\r', u'\v', u'\f', u'\u00A0'};
    for (const char16_t end : kEnds)
        require(lenient(text + QChar(end) + text) == read, "text after the number is ignored");
}

// A minus before a number that starts with a digit or point negates it.
void checkSign(const QString &text, const Outcome &read)
{
    const QString compact = withoutBlanks(text);
    if (compact.isEmpty() || !(isDigit(compact.front()) || compact.front() == QLatin1Char('.')))
        return;
    const Outcome negated = lenient(QLatin1Char('-') + text);
    require(negated.failure == read.failure, "a minus keeps the failure");
    require(negated.value == -read.value, "a minus negates the value");
}

// The decimal digits of a value of 0 to 32767, blanks mixed in, read back as it.
void checkWholeNumber(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return;
    const int value = (data[0] << 8 | data[1]) & 0x7FFF;
    const QString text = withBlanks(QString::number(value));
    const Outcome read = lenient(text);
    require(!read.failed() && read.value == value, "decimal digits read back as their value");
    require(NumberReader::roundToInteger(read.value) == value, "and round to it");
    require(NumberReader::toInteger(QString::number(value)) == value, "strictly too");
}

// A number below one, however many digits and however small, never overflows.
void checkFraction(const QString &text)
{
    const QString digits = digitsOf(text);
    const qsizetype half = digits.size() / 2;
    const QString fraction = QStringLiteral("0.") + digits.left(half);
    const QString small = fraction + QStringLiteral("e-") + digits.mid(half);
    for (const QString &number : {fraction, small}) {
        const Outcome read = lenient(number);
        require(!read.failed(), "a value below one does not overflow");
        require(read.value >= 0.0 && read.value <= 1.0, "a value below one reads below one");
    }
}

// Where the whole text is a number without blanks, strict and lenient agree.
void checkStrict(const QString &text)
{
    const Outcome strict = outcomeOf([&text] { return NumberReader::toInteger(text); });
    require(!strict.failed() || strict.failure == FailureNumber::TypeMismatch ||
                strict.failure == FailureNumber::Overflow,
            "toInteger fails only with TypeMismatch or Overflow");
    if (strict.failed() || text != text.trimmed())
        return;
    const Outcome read = lenient(text);
    require(!read.failed(), "a strict number reads leniently");
    require(NumberReader::roundToInteger(read.value) == strict.value,
            "strict and lenient readings agree");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzzcheck::latin1(data, size);
    const Outcome read = lenient(text);
    checkLenientOutcome(read);
    if (!read.failed())
        checkRounding(read.value);
    checkBlanksIgnored(text, read);
    checkRestIgnored(text, read);
    checkSign(text, read);
    checkWholeNumber(data, size);
    checkFraction(text);
    checkStrict(text);
    return 0;
}
