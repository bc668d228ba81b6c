// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration packet built from the twelve field texts, and the reply
// decoded back into them.
#include "modem/modemconfig.h"
#include "modem/replydecoder.h"
#include "modem/rxring.h"
#include "system/failure.h"

#include <QTest>

namespace {
using Fields = ModemConfig::Texts;

const Fields kLoadTexts{"7F", "7F", "7F", "7F", "7F", "7F", "7F", "7F", "107", "0", "30", "30"};

Fields with(Fields fields, int index, const QString &text)
{
    fields[static_cast<size_t>(index)] = text;
    return fields;
}

struct Outcome
{
    QByteArray packet;
    QString problem; // "incorrect 9", or the failure number and description
};

Outcome build(const Fields &fields)
{
    try {
        const ModemConfig::Reading reading = ModemConfig::read(fields);
        if (!reading.config)
            return {{}, QStringLiteral("incorrect %1").arg(reading.incorrectField)};
        return {reading.config->packet().toLatin1(), {}};
    } catch (const Failure &failure) {
        return {{}, QStringLiteral("%1 %2").arg(failure.number()).arg(failure.description())};
    }
}
} // namespace

Q_DECLARE_METATYPE(Fields)

class ConfigPacketTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buildsPacket_data();
    void buildsPacket();
    void refusesBadField_data();
    void refusesBadField();
    void decodesReply();
    void decodesShortReplyOverOlderOne();
};

void ConfigPacketTest::buildsPacket_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<QByteArray>("packet");
    QTest::newRow("load texts") << kLoadTexts << QByteArray::fromHex("7f7f7f7f7f7f7f7f6b001e1e");
    QTest::newRow("hex 0, A, ff, 7f")
        << with(with(with(with(kLoadTexts, 0, "0"), 1, "A"), 2, "ff"), 3, "7f")
        << QByteArray::fromHex("000aff7f7f7f7f7f6b001e1e");
    QTest::newRow("hex with blanks around")
        << with(kLoadTexts, 4, " 7") << QByteArray::fromHex("7f7f7f7f077f7f7f6b001e1e");
    QTest::newRow("empty and question marks read 0")
        << with(with(with(kLoadTexts, 8, ""), 9, "?"), 10, "??")
        << QByteArray::fromHex("7f7f7f7f7f7f7f7f0000001e");
    QTest::newRow("lenient decimals")
        << with(with(with(kLoadTexts, 8, "12abc"), 10, "2.5"), 11, "3.5")
        << QByteArray::fromHex("7f7f7f7f7f7f7f7f0c000204");
    QTest::newRow("255 and Tx Power 5") << with(with(kLoadTexts, 8, "255"), 9, "5")
                                        << QByteArray::fromHex("7f7f7f7f7f7f7f7fff051e1e");
    QTest::newRow("all zero is still 12 bytes")
        << Fields{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}
        << QByteArray(12, '\0');
}

void ConfigPacketTest::buildsPacket()
{
    QFETCH(Fields, fields);
    QFETCH(QByteArray, packet);
    const Outcome outcome = build(fields);
    QCOMPARE(outcome.problem, QString());
    QCOMPARE(outcome.packet, packet);
}

void ConfigPacketTest::refusesBadField_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<QString>("problem");
    QTest::newRow("hex ??") << with(kLoadTexts, 0, "??")
                            << "13 Type mismatch in Destination Address byte 1: \"??\" is not a "
                               "hexadecimal number. Enter 0 to FF.";
    QTest::newRow("hex empty") << with(kLoadTexts, 7, "")
                               << "13 Type mismatch in QL204 Address byte 4: \"\" is not a "
                                  "hexadecimal number. Enter 0 to FF.";
    QTest::newRow("hex beyond F")
        << with(kLoadTexts, 2, "G1")
        << "13 Type mismatch in Destination Address byte 3: \"G1\" is not a "
           "hexadecimal number. Enter 0 to FF.";
    QTest::newRow("decimal 256") << with(kLoadTexts, 8, "256") << "incorrect 8";
    QTest::newRow("decimal -1")
        << with(kLoadTexts, 9, "-1")
        << "5 Invalid procedure call or argument in Tx Power: \"-1\" is negative. Enter 0 to 255.";
    QTest::newRow("decimal beyond 16 bits")
        << with(kLoadTexts, 11, "99999")
        << "6 Overflow in Rx Packet Size: \"99999\" is out of range. Enter 0 to 255.";
    QTest::newRow("first bad field in order wins")
        << with(with(kLoadTexts, 8, "300"), 2, "??")
        << "13 Type mismatch in Destination Address byte 3: \"??\" is not a hexadecimal number. "
           "Enter 0 to FF.";
    QTest::newRow("only the last field bad") << with(kLoadTexts, 11, "256") << "incorrect 11";
}

void ConfigPacketTest::refusesBadField()
{
    QFETCH(Fields, fields);
    QFETCH(QString, problem);
    const Outcome outcome = build(fields);
    QCOMPARE(outcome.problem, problem);
    QVERIFY(outcome.packet.isEmpty());
}

void ConfigPacketTest::decodesReply()
{
    RxRing ring;
    for (const char byte : QByteArray::fromHex("7f7f7f7e0a01ff050a031e1e99")) {
        ring.store(QString(QChar(static_cast<char16_t>(static_cast<unsigned char>(byte)))));
        ring.advance();
    }
    const auto texts = ReplyDecoder::decode(ring);
    QCOMPARE(QStringList(texts.begin(), texts.end()),
             QStringList({"7F", "7F", "7F", "7E", "A", "1", "FF", "5", "10", "3", "30", "30"}));
}

void ConfigPacketTest::decodesShortReplyOverOlderOne()
{
    RxRing ring;
    const auto feed = [&ring](const QByteArray &bytes) {
        ring.resetCount();
        for (const char byte : bytes) {
            ring.store(QString(QChar(static_cast<char16_t>(static_cast<unsigned char>(byte)))));
            ring.advance();
        }
    };
    feed(QByteArray::fromHex("0102030405060708090a"));
    feed(QByteArray::fromHex("00ff"));
    const auto texts = ReplyDecoder::decode(ring);
    QCOMPARE(QStringList(texts.begin(), texts.end()),
             QStringList({"0", "FF", "3", "4", "5", "6", "7", "8", "9", "10", "??", "??"}));
}

QTEST_GUILESS_MAIN(ConfigPacketTest)
#include "tst_configpacket.moc"
