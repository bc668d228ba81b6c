// SPDX-License-Identifier: GPL-3.0-or-later
// Number reading of the configuration fields: strict conversion, lenient
// leading value, and rounding to a 16-bit integer.
#include "modem/numberreader.h"
#include "system/failure.h"

#include <QScopeGuard>
#include <QTest>

#include <clocale>
#include <functional>
#include <limits>

namespace {
constexpr int kNoFailure = 0;

int failureOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Failure &failure) {
        return failure.number();
    }
    return kNoFailure;
}
} // namespace

class NumberReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void strictConversion_data();
    void strictConversion();
    void strictConversionFailures_data();
    void strictConversionFailures();
    void leadingValue_data();
    void leadingValue();
    void leadingValueOverflow();
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void roundingOverflow_data();
    void roundingOverflow();
    void ignoresTheProcessLocale();
};

void NumberReaderTest::strictConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("hex upper") << "&H7F" << 127;
    QTest::newRow("hex lower") << "&h7f" << 127;
    QTest::newRow("hex zero") << "&H0" << 0;
    QTest::newRow("hex one digit") << "&HA" << 10;
    QTest::newRow("hex byte max") << "&HFF" << 255;
    QTest::newRow("hex four digits are 16-bit signed") << "&HFFFF" << -1;
    QTest::newRow("hex sign bit") << "&H8000" << -32768;
    QTest::newRow("hex leading zeros") << "&H000000FF" << 255;
    QTest::newRow("decimal") << "3" << 3;
    QTest::newRow("blanks around") << "  12 " << 12;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("minus sign") << "-7" << -7;
    QTest::newRow("fraction rounds to even") << "2.5" << 2;
    QTest::newRow("fraction rounds up to even") << "3.5" << 4;
    QTest::newRow("exponent") << "1e2" << 100;
    QTest::newRow("largest") << "32767" << 32767;
    QTest::newRow("smallest") << "-32768" << -32768;
    QTest::newRow("too small for a double") << "1e-400" << 0;
}

void NumberReaderTest::strictConversion()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(int(NumberReader::toInteger(text)), expected);
}

void NumberReaderTest::strictConversionFailures_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("failure");
    QTest::newRow("empty") << "" << FailureNumber::TypeMismatch;
    QTest::newRow("blanks only") << "   " << FailureNumber::TypeMismatch;
    QTest::newRow("hex prefix alone") << "&H" << FailureNumber::TypeMismatch;
    QTest::newRow("question marks") << "&H??" << FailureNumber::TypeMismatch;
    QTest::newRow("letter beyond F") << "&HG1" << FailureNumber::TypeMismatch;
    QTest::newRow("negative hex") << "&H-1" << FailureNumber::TypeMismatch;
    QTest::newRow("hex with inner blank") << "&H 7" << FailureNumber::TypeMismatch;
    QTest::newRow("trailing letters") << "12abc" << FailureNumber::TypeMismatch;
    QTest::newRow("inner blank") << "1 2" << FailureNumber::TypeMismatch;
    QTest::newRow("sign alone") << "-" << FailureNumber::TypeMismatch;
    QTest::newRow("above 16 bits") << "32768" << FailureNumber::Overflow;
    QTest::newRow("hex of five digits") << "&H10000" << FailureNumber::Overflow;
    QTest::newRow("hex of nine digits") << "&H100000000" << FailureNumber::Overflow;
    QTest::newRow("big exponent") << "1e9" << FailureNumber::Overflow;
}

void NumberReaderTest::strictConversionFailures()
{
    QFETCH(QString, text);
    QFETCH(int, failure);
    QCOMPARE(failureOf([&text] { NumberReader::toInteger(text); }), failure);
}

void NumberReaderTest::leadingValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("one question mark") << "?" << 0.0;
    QTest::newRow("two question marks") << "??" << 0.0;
    QTest::newRow("digits then letters") << "12abc" << 12.0;
    QTest::newRow("blanks anywhere") << " 1 2 " << 12.0;
    QTest::newRow("tabs and line feeds") << "\t7\n5" << 75.0;
    QTest::newRow("blank after sign") << "- 5" << -5.0;
    QTest::newRow("fraction") << "2.5" << 2.5;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("exponent with sign") << "15E-1" << 1.5;
    QTest::newRow("D exponent") << "1d2" << 100.0;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("exponent sign without digits") << "1e+" << 1.0;
    QTest::newRow("comma ends it") << "1,5" << 1.0;
    QTest::newRow("double sign") << "--5" << 0.0;
    QTest::newRow("letter first") << "e5" << 0.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("hex lower with rest") << "&hffzz" << 255.0;
    QTest::newRow("hex prefix alone") << "&H" << 0.0;
    QTest::newRow("hex 16-bit signed") << "&HFFFF" << -1.0;
    QTest::newRow("hex 32-bit") << "&H10000" << 65536.0;
    QTest::newRow("hex 32-bit signed") << "&HFFFFFFFF" << -1.0;
    QTest::newRow("too small for a double") << "1e-400" << 0.0;
    QTest::newRow("negative, too small for a double") << "-2.5e-999" << 0.0;
    QTest::newRow("many zeros after the point")
        << QString(QStringLiteral("0.") + QString(400, u'0') + QStringLiteral("1")) << 0.0;
    QTest::newRow("large mantissa, small exponent")
        << QString(QStringLiteral("1") + QString(400, u'0') + QStringLiteral("e-399")) << 10.0;
}

void NumberReaderTest::leadingValue()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(NumberReader::leadingValue(text), expected);
}

void NumberReaderTest::leadingValueOverflow()
{
    QCOMPARE(failureOf([] { NumberReader::leadingValue(QStringLiteral("&H123456789")); }),
             FailureNumber::Overflow);
    QCOMPARE(failureOf([] { NumberReader::leadingValue(QStringLiteral("1e999")); }),
             FailureNumber::Overflow);
    QCOMPARE(failureOf([] { NumberReader::leadingValue(QStringLiteral("-0.001e312")); }),
             FailureNumber::Overflow);
    QCOMPARE(
        failureOf([] { NumberReader::leadingValue(QStringLiteral("1") + QString(400, u'0')); }),
        FailureNumber::Overflow);
}

void NumberReaderTest::roundsHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("2.51") << 2.51 << 3;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-1.5") << -1.5 << -2;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("32767.4") << 32767.4 << 32767;
    QTest::newRow("-32768.5") << -32768.5 << -32768;
}

void NumberReaderTest::roundsHalfToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(int(NumberReader::roundToInteger(value)), expected);
}

void NumberReaderTest::roundingOverflow_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("32767.5") << 32767.5;
    QTest::newRow("-32769") << -32769.0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
}

void NumberReaderTest::roundingOverflow()
{
    QFETCH(double, value);
    QCOMPARE(failureOf([value] { NumberReader::roundToInteger(value); }), FailureNumber::Overflow);
}

void NumberReaderTest::ignoresTheProcessLocale()
{
    // A user whose locale writes decimal commas still types 2.5 as 2.5.
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
        QSKIP("No locale with a decimal comma is installed");
    const auto restore = qScopeGuard([] { std::setlocale(LC_NUMERIC, "C"); });
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));
    QCOMPARE(NumberReader::leadingValue(QStringLiteral("2.5")), 2.5);
    QCOMPARE(int(NumberReader::toInteger(QStringLiteral("3.5"))), 4);
}

QTEST_GUILESS_MAIN(NumberReaderTest)
#include "tst_numberreader.moc"
