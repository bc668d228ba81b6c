// SPDX-License-Identifier: GPL-3.0-or-later
// Burst marks without a window: which arrivals start a burst on a scripted
// clock, the times the bursts get and the stamps their rows show.
#include "support/core/scriptedloop.h"

#include "receive/burstmarker.h"
#include "receive/receivelayout.h"
#include "receive/receivestore.h"

#include <QDateTime>
#include <QTest>

using namespace std::chrono_literals;

namespace {
constexpr auto kQuiet = 100ms;
// The clock has run a while before the marker gets it.
constexpr auto kClockStart = 5000ms;

// 13:45:06.789 local time on some day: stamps read back as that and later.
qint64 wallAtStart()
{
    return QDateTime(QDate(2024, 3, 12), QTime(13, 45, 6, 789)).toMSecsSinceEpoch();
}

struct Marked
{
    ScriptedLoop loop;
    ReceiveStore store;
    BurstMarker marker{store, kQuiet};

    Marked()
    {
        loop.advance(kClockStart);
        marker.setClock(&loop, wallAtStart());
    }

    // Bytes arriving `at` ms after the marker got the clock.
    void receive(int at, QByteArrayView bytes)
    {
        loop.advance(std::chrono::milliseconds(at) + kClockStart - loop.now());
        marker.arriving();
        store.append(bytes);
    }

    QList<qint64> offsets() const
    {
        QList<qint64> held;
        for (const ReceiveStore::Burst &burst : store.bursts())
            held.append(burst.offset);
        return held;
    }

    QList<qint64> msecs() const
    {
        QList<qint64> held;
        for (const ReceiveStore::Burst &burst : store.bursts())
            held.append(burst.msecsSinceEpoch - wallAtStart());
        return held;
    }
};
} // namespace

class BurstMarksTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void quietGapsStartBursts_data();
    void quietGapsStartBursts();
    void aNotedFrameCountsAsAnArrival();
    void resetStartsABurstAtOnce();
    void stampsShowInTheRowsTheBurstsStart();
};

void BurstMarksTest::quietGapsStartBursts_data()
{
    QTest::addColumn<QList<int>>("times");
    QTest::addColumn<QList<qint64>>("offsets");
    QTest::addColumn<QList<qint64>>("msecs");
    // Every chunk is two bytes; times in ms since the marker got the clock.
    QTest::newRow("first bytes start a burst")
        << QList<int>{0} << QList<qint64>{0} << QList<qint64>{0};
    QTest::newRow("chunks within the quiet time are one burst")
        << QList<int>{10, 50, 99} << QList<qint64>{0} << QList<qint64>{10};
    QTest::newRow("a gap of exactly the quiet time starts one")
        << QList<int>{200, 300, 400} << QList<qint64>{0, 2, 4} << QList<qint64>{200, 300, 400};
    QTest::newRow("a gap just under it does not")
        << QList<int>{200, 299, 398} << QList<qint64>{0} << QList<qint64>{200};
    QTest::newRow("gaps count from the last chunk, not the burst's start")
        << QList<int>{0, 60, 120, 180, 240} << QList<qint64>{0} << QList<qint64>{0};
    QTest::newRow("a burst split across chunks after a gap")
        << QList<int>{0, 30, 250, 260, 270, 1270} << QList<qint64>{0, 4, 10}
        << QList<qint64>{0, 250, 1270};
}

void BurstMarksTest::quietGapsStartBursts()
{
    QFETCH(QList<int>, times);
    QFETCH(QList<qint64>, offsets);
    QFETCH(QList<qint64>, msecs);
    Marked marked;
    for (const int at : times)
        marked.receive(at, "ab");
    QCOMPARE(marked.offsets(), offsets);
    QCOMPARE(marked.msecs(), msecs);
}

void BurstMarksTest::aNotedFrameCountsAsAnArrival()
{
    // The view notes the time its frame shows bytes that came without a
    // look at the clock; the gap counts from there.
    Marked marked;
    marked.receive(0, "ab");
    marked.loop.advance(80ms);
    marked.marker.noteArrival();
    marked.receive(150, "cd");
    QCOMPARE(marked.offsets(), (QList<qint64>{0}));
    marked.receive(250, "ef");
    QCOMPARE(marked.offsets(), (QList<qint64>{0, 4}));
}

void BurstMarksTest::resetStartsABurstAtOnce()
{
    Marked marked;
    marked.receive(0, "ab");
    marked.marker.reset();
    marked.receive(10, "cd");
    QCOMPARE(marked.offsets(), (QList<qint64>{0, 2}));
    QCOMPARE(marked.msecs(), (QList<qint64>{0, 10}));
}

void BurstMarksTest::stampsShowInTheRowsTheBurstsStart()
{
    Marked marked;
    ReceiveLayout layout(marked.store);
    std::array<qreal, 256> advances{};
    advances.fill(1);
    layout.setAdvances(advances);
    layout.setRowWidth(4);
    layout.setTimeStamps(true);
    marked.receive(0, "abcdef\r\n"); // rows "abcd" and "ef"
    marked.receive(1211, "gh");      // a burst on a line of its own

    QStringList stamps;
    for (const qint64 at : {0, 4, 8})
        stamps.append(marked.marker.stampText(layout.rowAt(at)));
    QCOMPARE(stamps, (QStringList{"13:45:06.789", "", "13:45:08.000"}));
}

QTEST_GUILESS_MAIN(BurstMarksTest)
#include "tst_burstmarks.moc"
