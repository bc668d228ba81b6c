// SPDX-License-Identifier: GPL-3.0-or-later
// The strict reading of the values the command line's options and the
// configuration files give: exactly the allowed form or nothing, never a
// lenient reading or a value cut to fit.
#include "modem/strictnumber.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QTest>

namespace {
// -1 stands for "not taken", so a row can say both outcomes.
constexpr qint64 kRefused = -1;

template<typename Value>
qint64 outcome(const std::optional<Value> &value)
{
    return value ? static_cast<qint64>(*value) : kRefused;
}
} // namespace

class StrictNumberTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTexts_data();
    void readsTexts();
    void readsJson_data();
    void readsJson();
    void namesTheForms();
};

void StrictNumberTest::readsTexts_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");

    QTest::newRow("byte zero") << "byte"
                               << "0" << qint64(0);
    QTest::newRow("byte largest") << "byte"
                                  << "255" << qint64(255);
    QTest::newRow("byte above the range") << "byte"
                                          << "256" << kRefused;
    QTest::newRow("byte leading zeros") << "byte"
                                        << "007" << qint64(7);
    QTest::newRow("byte longest text") << "byte"
                                       << "0000000255" << qint64(255);
    QTest::newRow("byte one digit too long") << "byte"
                                             << "00000000255" << kRefused;
    QTest::newRow("byte empty") << "byte"
                                << "" << kRefused;
    QTest::newRow("byte minus sign") << "byte"
                                     << "-1" << kRefused;
    QTest::newRow("byte plus sign") << "byte"
                                    << "+1" << kRefused;
    QTest::newRow("byte blank before") << "byte"
                                       << " 30" << kRefused;
    QTest::newRow("byte blank after") << "byte"
                                      << "30 " << kRefused;
    QTest::newRow("byte tab") << "byte"
                              << "3\t" << kRefused;
    QTest::newRow("byte fraction") << "byte"
                                   << "2.5" << kRefused;
    QTest::newRow("byte exponent") << "byte"
                                   << "1e2" << kRefused;
    QTest::newRow("byte hex prefix") << "byte"
                                     << "&H10" << kRefused;
    QTest::newRow("byte hex digits") << "byte"
                                     << "1F" << kRefused;
    QTest::newRow("byte trailing letters") << "byte"
                                           << "12abc" << kRefused;
    QTest::newRow("byte overflows 64 bits") << "byte"
                                            << "99999999999999999999" << kRefused;
    QTest::newRow("byte other script digits") << "byte"
                                              << "\u0661\u0662" << kRefused;

    QTest::newRow("address upper") << "address"
                                   << "7F7F7F7E" << qint64(0x7F7F7F7E);
    QTest::newRow("address of 9 digits") << "address"
                                         << "0A01FF050" << kRefused;

    QTest::newRow("comm first") << "comm"
                                << "1" << qint64(1);
    QTest::newRow("comm last") << "comm"
                               << "255" << qint64(255);
    QTest::newRow("comm 0") << "comm"
                            << "0" << kRefused;
    QTest::newRow("comm beyond the last") << "comm"
                                          << "256" << kRefused;
    QTest::newRow("comm leading zero") << "comm"
                                       << "03" << qint64(3);
    QTest::newRow("comm with a sign") << "comm"
                                      << "+3" << kRefused;
    QTest::newRow("comm blank after") << "comm"
                                      << "3 " << kRefused;

    QTest::newRow("baud lowest") << "baud"
                                 << "1" << qint64(1);
    QTest::newRow("baud highest") << "baud"
                                  << "4000000" << qint64(4000000);
    QTest::newRow("baud above the highest") << "baud"
                                            << "4000001" << kRefused;
    QTest::newRow("baud 0") << "baud"
                            << "0" << kRefused;
    QTest::newRow("baud beyond 32 bits") << "baud"
                                         << "4294967297" << kRefused;
    QTest::newRow("baud a word") << "baud"
                                 << "fast" << kRefused;
    QTest::newRow("baud grouped") << "baud"
                                  << "9,600" << kRefused;
}

void StrictNumberTest::readsTexts()
{
    QFETCH(QString, reader);
    QFETCH(QString, text);
    QFETCH(qint64, value);
    qint64 read = kRefused;
    if (reader == "byte")
        read = outcome(StrictNumber::byte(text));
    else if (reader == "address")
        read = outcome(StrictNumber::address(text));
    else if (reader == "comm")
        read = outcome(StrictNumber::comm(text));
    else
        read = outcome(StrictNumber::baud(text));
    QCOMPARE(read, value);
}

void StrictNumberTest::readsJson_data()
{
    QTest::addColumn<bool>("address");
    QTest::addColumn<QJsonValue>("json");
    QTest::addColumn<qint64>("value");

    QTest::newRow("number") << false << QJsonValue(30) << qint64(30);
    QTest::newRow("number zero") << false << QJsonValue(0) << qint64(0);
    QTest::newRow("number largest") << false << QJsonValue(255) << qint64(255);
    QTest::newRow("whole number written with a fraction") << false << QJsonValue(7.0) << qint64(7);
    QTest::newRow("number above the range") << false << QJsonValue(256) << kRefused;
    QTest::newRow("negative number") << false << QJsonValue(-1) << kRefused;
    QTest::newRow("fraction") << false << QJsonValue(30.5) << kRefused;
    QTest::newRow("number as text") << false << QJsonValue("10") << kRefused;
    QTest::newRow("true") << false << QJsonValue(true) << kRefused;
    QTest::newRow("null") << false << QJsonValue() << kRefused;
    QTest::newRow("array") << false << QJsonValue(QJsonArray{1}) << kRefused;

    QTest::newRow("address") << true << QJsonValue("7F7F7F7E") << qint64(0x7F7F7F7E);
    QTest::newRow("address in lower case") << true << QJsonValue("0a01ff05") << qint64(0x0A01FF05);
    QTest::newRow("address ending in a line feed")
        << true << QJsonValue("7F7F7F7E\n") << qint64(0x7F7F7F7E);
    QTest::newRow("address ending in two line feeds")
        << true << QJsonValue("7F7F7F7E\n\n") << kRefused;
    QTest::newRow("address ending in CR LF") << true << QJsonValue("7F7F7F7E\r\n") << kRefused;
    QTest::newRow("short address and a line feed") << true << QJsonValue("7F7F7F7\n") << kRefused;
    QTest::newRow("address blank after") << true << QJsonValue("7F7F7F7E ") << kRefused;
    QTest::newRow("short address") << true << QJsonValue("A01FF05") << kRefused;
    QTest::newRow("address as a number") << true << QJsonValue(12345678) << kRefused;
    QTest::newRow("address object") << true << QJsonValue(QJsonObject{}) << kRefused;
}

void StrictNumberTest::readsJson()
{
    QFETCH(bool, address);
    QFETCH(QJsonValue, json);
    QFETCH(qint64, value);
    QCOMPARE(outcome(address ? StrictNumber::jsonAddress(json) : StrictNumber::jsonByte(json)),
             value);
}

void StrictNumberTest::namesTheForms()
{
    QCOMPARE(StrictNumber::addressForm(), "exactly 8 hexadecimal digits");
    QCOMPARE(StrictNumber::byteForm(), "a whole decimal number from 0 to 255");
    QCOMPARE(StrictNumber::commForm(), "a comm port number from 1 to 255");
    QCOMPARE(StrictNumber::baudForm(), "a whole number of baud from 1 to 4000000");
}

QTEST_GUILESS_MAIN(StrictNumberTest)
#include "tst_strictnumber.moc"
