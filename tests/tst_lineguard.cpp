// SPDX-License-Identifier: GPL-3.0-or-later
// What goes out on the line and when: command sequences only after a quiet
// line, typed characters kept clear of them, and waits that end on time, on
// a scripted time line.
#include "support/core/fakecomm.h"
#include "support/core/scriptedloop.h"

#include "modem/lineguard.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {
struct Line
{
    explicit Line(int rate = 9600)
    {
        comm.onWrite = [this](const QByteArray &bytes) {
            wire.append({loop.now().count(), bytes});
        };
        comm.setPortOpen(true);
        guard.opened(rate);
    }

    ScriptedLoop loop;
    FakeComm comm;
    LineGuard guard{comm, loop, loop, 100ms};
    QList<std::pair<qint64, QByteArray>> wire;
};
} // namespace

class LineGuardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sequenceWaitsForTheQuietTimeAfterTheLastByte_data();
    void sequenceWaitsForTheQuietTimeAfterTheLastByte();
    void typingKeepsClearOfASequence();
    void stoppedLineSendsNothingMoreAndDelaysEnd();
    void waitUntilFollowsAMovingEnd();
};

void LineGuardTest::sequenceWaitsForTheQuietTimeAfterTheLastByte_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<qint64>("earliestMs");

    // Opening counts as sending: the line's previous user may just have sent.
    QTest::newRow("just opened") << 9600 << QByteArray() << qint64(101);
    // 10 characters of 10 bits at 1000 baud take 100 ms on the line.
    QTest::newRow("ten characters at 1000 baud") << 1000 << QByteArray("0123456789") << qint64(201);
    // A rate that is not one takes the fallback: 96 characters, 100 ms.
    QTest::newRow("no rate") << 0 << QByteArray(96, 'x') << qint64(201);
}

void LineGuardTest::sequenceWaitsForTheQuietTimeAfterTheLastByte()
{
    QFETCH(int, rate);
    QFETCH(QByteArray, before);
    QFETCH(qint64, earliestMs);

    Line line(rate);
    if (!before.isEmpty())
        line.guard.transmit(QString::fromLatin1(before));
    line.guard.sendSequence(QStringLiteral("+++"));

    QCOMPARE(line.wire.last().second, QByteArray("+++"));
    // Strictly past the quiet time, and not a pass of the pump later.
    QCOMPARE(line.wire.last().first, earliestMs);
    QVERIFY(line.guard.inCommandMode());
    line.guard.sendSequence(QStringLiteral("---"));
    QVERIFY(!line.guard.inCommandMode());
    QVERIFY(line.loop.passes() < 10);
}

void LineGuardTest::typingKeepsClearOfASequence()
{
    Line line;
    line.loop.advance(1ms);
    // Typed before the sequence is due: goes at once.
    line.guard.type(QChar(u'a'));
    // Typed while the sequence waits for its quiet line, and just after it.
    line.loop.at(50ms, [&line] { line.guard.type(QChar(u'b')); });
    line.guard.sendSequence(QStringLiteral("+++"));
    line.guard.type(QChar(u'c'));
    QCOMPARE(line.guard.typingDelay(), std::optional(104ms));
    line.guard.delay(150ms);

    QList<QByteArray> bytes;
    for (const auto &write : line.wire)
        bytes.append(write.second);
    // In order, one write a key, none within the sequence's quiet times.
    QCOMPARE(bytes, (QList<QByteArray>{"a", "+++", "b", "c"}));
    // 'a' leaves the line at 2.04 ms; "+++" at 103.125 ms.
    QCOMPARE(line.wire[1].first, 103);
    QVERIFY(line.wire[2].first > 103 + 3 + 100);
    QCOMPARE(line.guard.typingDelay(), std::nullopt);
}

void LineGuardTest::stoppedLineSendsNothingMoreAndDelaysEnd()
{
    Line line;
    line.guard.transmit(QStringLiteral("+++"));
    line.guard.stop();
    const auto before = line.loop.now();
    line.guard.delay(10s);
    QCOMPARE(line.loop.now(), before);
    line.guard.type(QChar(u'x'));
    line.guard.sendSequence(QStringLiteral("---"));
    QCOMPARE(line.wire.size(), 1);
    // What the one who stopped it hands over still goes: the way out of
    // command mode.
    line.guard.transmit(QStringLiteral("---"));
    QVERIFY(!line.guard.inCommandMode());
    line.guard.closed();
    QCOMPARE(line.guard.typingDelay(), std::nullopt);
}

void LineGuardTest::waitUntilFollowsAMovingEnd()
{
    Line line;
    double end = 0.05;
    line.loop.at(40ms, [&end] { end = 0.08; });
    QVERIFY(!line.guard.waitUntil([&end] { return end; }, [] { return false; }));
    QCOMPARE(line.loop.now(), 81ms);
    bool done = false;
    line.loop.at(5ms, [&done] { done = true; });
    QVERIFY(line.guard.waitUntil([] { return 10.0; }, [&done] { return done; }));
    QCOMPARE(line.loop.now(), 86ms);
}

QTEST_GUILESS_MAIN(LineGuardTest)
#include "tst_lineguard.moc"
