// SPDX-License-Identifier: GPL-3.0-or-later
// The telnet side of a network port: IAC doubling, option negotiation with a
// serial server, and the server's reports, fed as a network splits them.
#include "network/telnetstream.h"

#include <QTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Feeds the bytes one at a time, as the slowest network would deliver them.
TelnetStream::Taken takeBytewise(TelnetStream &stream, const QByteArray &bytes)
{
    TelnetStream::Taken all;
    for (const char byte : bytes) {
        const TelnetStream::Taken taken = stream.take(QByteArrayView(&byte, 1));
        all.data += taken.data;
        all.reply += taken.reply;
    }
    return all;
}
} // namespace

class TelnetStreamTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dataRoundTripsWithEveryByteValue_data();
    void dataRoundTripsWithEveryByteValue();
    void serialServersOpeningIsAnsweredWithoutLoops();
    void unknownOptionsAreRefusedOnce();
    void rateReportIsReadAcrossChunksAndEscapes();
    void refusedComPortIsKnown();
    void brokenSubnegotiationLosesNoLaterData();
    void requestsAreTheWireBytes();
};

void TelnetStreamTest::dataRoundTripsWithEveryByteValue_data()
{
    QTest::addColumn<bool>("bytewise");
    QTest::newRow("one chunk") << false;
    QTest::newRow("byte by byte") << true;
}

void TelnetStreamTest::dataRoundTripsWithEveryByteValue()
{
    QFETCH(bool, bytewise);
    // A configuration of FF bytes, then every value, IAC pairs included.
    QByteArray data = hex("FFFFFFFF12FF34FFFF001E1E");
    for (int value = 0; value < 256; ++value)
        data.append(static_cast<char>(value));
    data += hex("FFFF");

    const QByteArray wire = TelnetStream::escaped(data);
    QCOMPARE(wire.size(), data.size() + data.count('\xFF'));

    TelnetStream stream;
    const TelnetStream::Taken taken = bytewise ? takeBytewise(stream, wire) : stream.take(wire);
    QCOMPARE(taken.data, data);
    QVERIFY(taken.reply.isEmpty());
}

void TelnetStreamTest::serialServersOpeningIsAnsweredWithoutLoops()
{
    // What ser2net sends on connect: WILL SGA, DO SGA, WILL ECHO, DONT ECHO,
    // DO BINARY, WILL BINARY, DO COM-PORT-OPTION; then a modem state report.
    TelnetStream stream;
    const TelnetStream::Taken first = stream.take(hex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c"
                                                      "fffa2c6b00fff0"));
    QVERIFY(first.data.isEmpty());
    // Only the echo is refused: the rest answers what the client's opening
    // asked or offered.
    QCOMPARE(first.reply.toHex(), QByteArray("fffe01"));
    QCOMPARE(stream.comPort(), TelnetStream::ComPort::Accepted);

    // The server acknowledges the refusal; nothing more is said.
    const TelnetStream::Taken second = stream.take(QByteArray(hex("fffc01") + "ok"));
    QVERIFY(second.reply.isEmpty());
    QCOMPARE(second.data, QByteArray("ok"));
}

void TelnetStreamTest::unknownOptionsAreRefusedOnce()
{
    TelnetStream stream;
    // DO TERMINAL-TYPE, DO NAWS: the client will not.
    QCOMPARE(stream.take(hex("fffd18fffd1f")).reply.toHex(), QByteArray("fffc18fffc1f"));
    // WONT or DONT for something never agreed needs no answer.
    QVERIFY(stream.take(hex("fffc18fffe18fffc00")).reply.isEmpty());
    // A server that takes back binary after agreeing gets the client's
    // acknowledgement, once.
    QVERIFY(stream.take(hex("fffd00")).reply.isEmpty());
    QCOMPARE(stream.take(hex("fffe00")).reply.toHex(), QByteArray("fffc00"));
    QVERIFY(stream.take(hex("fffe00")).reply.isEmpty());
    // Commands without an option (NOP, GA) are skipped, data kept.
    QCOMPARE(stream.take(hex("41fff142fff943")).data, QByteArray("ABC"));
}

void TelnetStreamTest::rateReportIsReadAcrossChunksAndEscapes()
{
    TelnetStream stream;
    QVERIFY(!stream.reportedRate());
    // 9600 = 00 00 25 80, between data bytes, fed byte by byte.
    const TelnetStream::Taken taken = takeBytewise(stream, hex("31fffa2c650000258"
                                                               "0fff032"));
    QCOMPARE(taken.data, QByteArray("12"));
    QCOMPARE(stream.reportedRate(), std::optional<quint32>(9600));

    // A rate with an FF byte in it comes doubled inside the subnegotiation.
    stream.forgetReportedRate();
    stream.take(hex("fffa2c650001ffff00fff0"));
    QCOMPARE(stream.reportedRate(), std::optional<quint32>(0x0001FF00));
    // Other reports (line and modem state) change nothing.
    stream.take(hex("fffa2c6a00fff0fffa2c6b30fff0"));
    QCOMPARE(stream.reportedRate(), std::optional<quint32>(0x0001FF00));
}

void TelnetStreamTest::refusedComPortIsKnown()
{
    TelnetStream stream;
    QCOMPARE(stream.comPort(), TelnetStream::ComPort::Unknown);
    QVERIFY(stream.take(hex("fffe2c")).reply.isEmpty());
    QCOMPARE(stream.comPort(), TelnetStream::ComPort::Refused);
}

void TelnetStreamTest::brokenSubnegotiationLosesNoLaterData()
{
    TelnetStream stream;
    // An endless subnegotiation is cut, not kept; its end still ends it.
    QByteArray endless = hex("fffa2c65");
    endless += QByteArray(100'000, 'x');
    endless += hex("fff0") + QByteArray("after");
    QCOMPARE(stream.take(endless).data, QByteArray("after"));
    QVERIFY(!stream.reportedRate());
    // IAC followed by anything but SE or IAC ends a broken one; the data
    // after it is the line's again.
    QCOMPARE(stream.take(QByteArray(hex("fffa2c6500ff41") + "next")).data, QByteArray("next"));
}

void TelnetStreamTest::requestsAreTheWireBytes()
{
    QCOMPARE(TelnetStream::setRate(9600).toHex(), QByteArray("fffa2c0100002580fff0"));
    // 65535 has FF bytes: they are doubled inside the subnegotiation.
    QCOMPARE(TelnetStream::setRate(65535).toHex(), QByteArray("fffa2c010000ffffffffff"
                                                              "f0"));
    QCOMPARE(TelnetStream::setFraming8N1().toHex(),
             QByteArray("fffa2c0208fff0fffa2c0301fff0fffa2c0401fff0fffa2c0501fff0"));
    QCOMPARE(TelnetStream::opening().toHex(), QByteArray("fffb2cfffb00fffd00fffb03fffd03"));
}

QTEST_APPLESS_MAIN(TelnetStreamTest)
#include "tst_telnetstream.moc"
