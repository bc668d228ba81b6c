// SPDX-License-Identifier: GPL-3.0-or-later
// The receive box's byte store: its line index against a scan of the bytes,
// however the bytes arrive, and what it keeps once past its capacity.
#include "support/core/naivereceive.h"

#include "receive/receivestore.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

namespace {
// What one line of a fast serial line looks like to the index: a few bytes,
// sometimes none, sometimes more than the index stride, each ended by one of
// the three breaks or by none at all.
QByteArray randomLines(QRandomGenerator &random, qsizetype size)
{
    static const char *const breaks[] = {"\r\n", "\r", "\n", "\n\r", "\r\r\n"};
    QByteArray bytes;
    while (bytes.size() < size) {
        const int length = random.bounded(4) == 0 ? random.bounded(200) : random.bounded(70);
        for (int i = 0; i < length; ++i)
            bytes.append(char('a' + random.bounded(26)));
        bytes.append(breaks[random.bounded(int(std::size(breaks)))]);
    }
    bytes.truncate(size);
    return bytes;
}

// Any bytes, breaks among them at random.
QByteArray randomBytes(QRandomGenerator &random, qsizetype size)
{
    static const char alphabet[] = {'\r', '\n', 'x', '\t', '\0', char(0xFF)};
    QByteArray bytes;
    for (qsizetype i = 0; i < size; ++i)
        bytes.append(alphabet[random.bounded(int(std::size(alphabet)))]);
    return bytes;
}

// Lines of exactly the given length, so their breaks fall on and around the
// index stride.
QByteArray linesOf(int length, const char *lineBreak, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += QByteArray(length, 'x') + lineBreak;
    return bytes;
}

// Appends the bytes in pieces of the given sizes, the last piece taking what
// is left.
void appendSplit(ReceiveStore &store, QByteArrayView bytes, const std::vector<qsizetype> &sizes)
{
    for (const qsizetype size : sizes) {
        const qsizetype piece = std::min(size, bytes.size());
        store.append(bytes.first(piece));
        bytes = bytes.sliced(piece);
    }
    store.append(bytes);
}

bool startsLineInStream(const QByteArray &stream, qint64 offset)
{
    if (offset == 0)
        return true;
    const char before = stream[qsizetype(offset - 1)];
    return before == '\n' || (before == '\r' && stream[qsizetype(offset)] != '\n');
}

// What a store fed `stream` with bursts marked at `marks` must hold: the
// newest bytes up to its capacity, from a line start, at their absolute
// offsets, and the bursts among them.
QString keptMismatch(const ReceiveStore &store, const QByteArray &stream,
                     const std::vector<ReceiveStore::Burst> &marks)
{
    if (store.end() != stream.size())
        return QStringLiteral("end is %1, not %2").arg(store.end()).arg(stream.size());
    if (store.droppedBytes() != store.begin())
        return QStringLiteral("dropped bytes are not the offset of the first held byte");
    if (store.bytes().size() > store.capacity())
        return QStringLiteral("%1 bytes held past a capacity of %2")
            .arg(store.bytes().size())
            .arg(store.capacity());
    if (store.bytes() != stream.mid(qsizetype(store.begin())))
        return QStringLiteral("the held bytes are not the newest");
    std::vector<qint64> expected;
    for (const ReceiveStore::Burst &mark : marks) {
        if (mark.offset >= store.begin())
            expected.push_back(mark.offset);
    }
    std::vector<qint64> held;
    for (const ReceiveStore::Burst &burst : store.bursts())
        held.push_back(burst.offset);
    if (held != expected)
        return QStringLiteral("the bursts held are not those at or after the first held byte");
    return {};
}

// The same, and the line index matching a scan.
QString keptIndexedMismatch(const ReceiveStore &store, const QByteArray &stream,
                            const std::vector<ReceiveStore::Burst> &marks)
{
    const QString mismatch = keptMismatch(store, stream, marks);
    return mismatch.isEmpty() ? naivereceive::lineIndexMismatch(store) : mismatch;
}
} // namespace

class ReceiveStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineIndexMatchesScan_data();
    void lineIndexMatchesScan();
    void breakSplitAcrossAppendsIsOneBreak();
    void droppingKeepsWholeNewestLines();
    void lineLongerThanCapacityIsCut();
    void smallerCapacityDropsAtOnce();
    void clearStartsAgainFromZero();
};

void ReceiveStoreTest::lineIndexMatchesScan_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QRandomGenerator random(20240611);
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("no break") << QByteArray(300, 'x');
    QTest::newRow("only breaks") << QByteArray("\r\n\r\n\n\r\r\r\n\n\n\r");
    QTest::newRow("break first") << QByteArray("\nab\r\ncd\r");
    for (const int length : {62, 63, 64, 65, 126, 127, 128}) {
        for (const char *lineBreak : {"\r\n", "\r", "\n"}) {
            const QByteArray name = "lines of " + QByteArray::number(length) + " ending " +
                                    QByteArray(lineBreak).toHex();
            QTest::newRow(name.constData()) << linesOf(length, lineBreak, 3);
        }
    }
    for (int i = 0; i < 4; ++i) {
        QTest::addRow("random lines %d", i) << randomLines(random, 1500);
        QTest::addRow("random bytes %d", i) << randomBytes(random, 600);
    }
}

void ReceiveStoreTest::lineIndexMatchesScan()
{
    QFETCH(QByteArray, bytes);
    QRandomGenerator random(7);

    std::vector<std::pair<QString, std::vector<qsizetype>>> splits{
        {QStringLiteral("whole"), {}},
        {QStringLiteral("byte by byte"), std::vector<qsizetype>(size_t(bytes.size()), 1)},
    };
    std::vector<qsizetype> chunks;
    for (qsizetype at = 0; at < bytes.size(); at += chunks.back())
        chunks.push_back(1 + random.bounded(100));
    splits.emplace_back(QStringLiteral("random chunks"), chunks);
    // Two appends, split at every place; short inputs only, as it is
    // quadratic.
    for (qsizetype at = 1; bytes.size() <= 400 && at < bytes.size(); ++at)
        splits.emplace_back(QStringLiteral("split at %1").arg(at), std::vector<qsizetype>{at});

    for (const auto &[name, sizes] : splits) {
        ReceiveStore store;
        appendSplit(store, bytes, sizes);
        QCOMPARE(store.bytes(), bytes);
        const QString mismatch = naivereceive::lineIndexMismatch(store);
        QVERIFY2(mismatch.isEmpty(), qPrintable(name + QStringLiteral(": ") + mismatch));
    }
}

void ReceiveStoreTest::breakSplitAcrossAppendsIsOneBreak()
{
    // The CR ends the 64th byte, where the index notes a line start.
    const QByteArray line(63, 'x');
    ReceiveStore store;
    store.append(QByteArray(line + '\r'));
    QCOMPARE(store.nextLineStart(0), 64);
    QCOMPARE(store.lineStart(64), 64);
    QCOMPARE(store.lineEnd(0), 63);

    store.append("\nab");
    QCOMPARE(store.lineStart(64), 0);
    QCOMPARE(store.nextLineStart(0), 65);
    QCOMPARE(store.lineStart(66), 65);
    QCOMPARE(store.lineEnd(0), 63);
    QCOMPARE(store.lineEnd(65), 67);
    const QString mismatch = naivereceive::lineIndexMismatch(store);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void ReceiveStoreTest::droppingKeepsWholeNewestLines()
{
    QRandomGenerator random(99);
    const QByteArray stream = randomLines(random, 40000);
    ReceiveStore store(ReceiveStore::kSmallestCapacity);
    std::vector<ReceiveStore::Burst> marks;
    qint64 clock = 0;
    qint64 dropped = 0;
    // Small pieces, many of them after a mark, so that some drops cut right
    // at a burst or just after one.
    for (qsizetype at = 0; at < stream.size();) {
        if (random.bounded(2) == 0) {
            store.markBurst(++clock);
            if (!marks.empty() && marks.back().offset == at)
                marks.back().msecsSinceEpoch = clock;
            else
                marks.push_back({at, clock});
        }
        const qsizetype size = std::min<qsizetype>(1 + random.bounded(40), stream.size() - at);
        store.append(QByteArrayView(stream).sliced(at, size));
        at += size;

        // The index is scanned after each drop only; the rest is cheap.
        const QString mismatch = store.droppedBytes() != dropped
                                     ? keptIndexedMismatch(store, stream.first(at), marks)
                                     : keptMismatch(store, stream.first(at), marks);
        QVERIFY2(mismatch.isEmpty(), qPrintable(QStringLiteral("at %1: %2").arg(at).arg(mismatch)));
        QVERIFY2(startsLineInStream(stream, store.begin()),
                 qPrintable(QStringLiteral("%1 starts no line").arg(store.begin())));
        dropped = store.droppedBytes();
    }
    QVERIFY(store.droppedBytes() > 0);
    // The times stay with their bursts.
    for (const ReceiveStore::Burst &burst : store.bursts()) {
        const auto mark = std::find_if(marks.begin(), marks.end(),
                                       [&](const auto &m) { return m.offset == burst.offset; });
        QCOMPARE(burst.msecsSinceEpoch, mark->msecsSinceEpoch);
    }
}

void ReceiveStoreTest::lineLongerThanCapacityIsCut()
{
    ReceiveStore store(ReceiveStore::kSmallestCapacity);
    QByteArray stream;
    for (int i = 0; i < 25; ++i) {
        const QByteArray chunk(400, char('a' + i));
        store.append(chunk);
        stream += chunk;
        const QString mismatch = keptIndexedMismatch(store, stream, {});
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }
    QVERIFY(store.droppedBytes() > 0);
    QCOMPARE(store.lineStart(store.end()), store.begin());
    QCOMPARE(store.nextLineStart(store.begin()), -1);

    store.append("\r\nabc");
    stream += "\r\nabc";
    const QString mismatch = keptIndexedMismatch(store, stream, {});
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    QCOMPARE(store.lineStart(store.end()), store.end() - 3);
}

void ReceiveStoreTest::smallerCapacityDropsAtOnce()
{
    QRandomGenerator random(5);
    const QByteArray stream = randomLines(random, 100000);
    ReceiveStore store;
    std::vector<ReceiveStore::Burst> marks;
    for (qsizetype at = 0; at < stream.size(); at += 10000) {
        store.markBurst(at);
        marks.push_back({at, at});
        store.append(QByteArrayView(stream).sliced(at, 10000));
    }
    QCOMPARE(store.droppedBytes(), 0);

    store.setCapacity(ReceiveStore::kSmallestCapacity);
    QVERIFY(store.droppedBytes() > 0);
    QVERIFY(startsLineInStream(stream, store.begin()));
    const QString mismatch = keptIndexedMismatch(store, stream, marks);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));

    store.setCapacity(1);
    QCOMPARE(store.capacity(), ReceiveStore::kSmallestCapacity);
}

void ReceiveStoreTest::clearStartsAgainFromZero()
{
    ReceiveStore store(ReceiveStore::kSmallestCapacity);
    store.markBurst(1);
    store.append(linesOf(100, "\r\n", 100));
    store.markBurst(2);
    QVERIFY(store.droppedBytes() > 0);

    store.clear();
    QCOMPARE(store.begin(), 0);
    QCOMPARE(store.end(), 0);
    QCOMPARE(store.droppedBytes(), 0);
    QVERIFY(store.bursts().empty());
    QCOMPARE(store.lineStart(0), 0);
    QCOMPARE(store.nextLineStart(0), -1);

    store.append("ab\r\ncd");
    QCOMPARE(store.lineStart(5), 4);
    const QString mismatch = naivereceive::lineIndexMismatch(store);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

QTEST_GUILESS_MAIN(ReceiveStoreTest)
#include "tst_receivestore.moc"
