// SPDX-License-Identifier: GPL-3.0-or-later
// The receive box's rows without a window: wrapping, line breaks, hex rows,
// the dropped marker and scrolling positions, against rows worked out from a
// scan of the bytes.
#include "support/core/naivereceive.h"

#include "receive/hexrow.h"
#include "receive/receivelayout.h"
#include "receive/receivestore.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
using Row = ReceiveLayout::Row;

// Every byte one unit wide, rows ten units: ten bytes a row.
naivereceive::Setup simpleSetup()
{
    naivereceive::Setup setup;
    setup.advances.fill(1.0);
    setup.width = 10;
    return setup;
}

using naivereceive::apply;

// The rows, described, walking down, walking up, and from a scan.
QStringList down(const ReceiveLayout &layout)
{
    return naivereceive::describe(naivereceive::walkDown(layout));
}

QStringList up(const ReceiveLayout &layout)
{
    return naivereceive::describe(naivereceive::walkUp(layout));
}

QStringList scanned(const ReceiveStore &store, const naivereceive::Setup &setup)
{
    return naivereceive::describe(naivereceive::rows(store, setup));
}

QStringList rowTexts(const ReceiveLayout &layout)
{
    QStringList texts;
    for (const Row &row : naivereceive::walkDown(layout))
        texts.append(layout.rowText(row));
    return texts;
}

// Lines of any length, a few longer than the cached-wrap threshold, with
// every kind of break and control bytes among the text.
QByteArray mixedTraffic(QRandomGenerator &random, qsizetype size)
{
    static const char *const breaks[] = {"\r\n", "\r", "\n"};
    QByteArray bytes;
    while (bytes.size() < size) {
        const int kind = random.bounded(10);
        const int length = kind == 0 ? 4096 + random.bounded(3000) : random.bounded(kind * 12);
        for (int i = 0; i < length; ++i)
            bytes.append(char(random.bounded(20) == 0 ? random.bounded(32) : 'a' + i % 26));
        bytes.append(breaks[random.bounded(3)]);
    }
    return bytes;
}

// The row that holds the byte at the offset; the last row for the end.
Row rowHolding(const std::vector<Row> &rows, qint64 offset)
{
    const auto holds = [offset](const Row &row) { return offset < row.next; };
    const auto row = std::find_if(rows.begin(), rows.end(), holds);
    return row == rows.end() ? rows.back() : *row;
}

// Fills the store in chunks, marking a burst before some of them.
void feed(ReceiveStore &store, const QByteArray &bytes, QRandomGenerator &random)
{
    for (qsizetype at = 0; at < bytes.size();) {
        if (random.bounded(4) == 0)
            store.markBurst(at);
        const qsizetype size = std::min<qsizetype>(1 + random.bounded(500), bytes.size() - at);
        store.append(QByteArrayView(bytes).sliced(at, size));
        at += size;
    }
}
} // namespace

class ReceiveLayoutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wrapsAtTheWidth();
    void lineBreaks_data();
    void lineBreaks();
    void breakCompletedByLaterAppend();
    void controlBytesShowAsPictures();
    void hexRowsOf16SplitAtBursts();
    void droppedMarkerComesFirst();
    void walksMatchRowsFromScan_data();
    void walksMatchRowsFromScan();
    void bottomAndStepsStopAtBothEnds();
    void longLineMatchesFreshLayout();
    void newWidthWrapsAgain();
};

void ReceiveLayoutTest::wrapsAtTheWidth()
{
    ReceiveStore store;
    ReceiveLayout layout(store);
    naivereceive::Setup setup = simpleSetup();
    apply(layout, setup);
    store.append("0123456789abcdefghijXY");
    QCOMPARE(rowTexts(layout), QStringList({"0123456789", "abcdefghij", "XY"}));

    // Wide bytes fill a row sooner; one wider than the row gets a row of
    // its own rather than none.
    setup.advances['W'] = 3;
    setup.advances['M'] = 25;
    apply(layout, setup);
    store.clear();
    layout.invalidate();
    store.append("WWWxxxxMMab");
    QCOMPARE(rowTexts(layout), QStringList({"WWWx", "xxx", "M", "M", "ab"}));
    QCOMPARE(down(layout), scanned(store, setup));
}

void ReceiveLayoutTest::lineBreaks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("CR LF, CR, LF") << QByteArray("a\r\nb\rc\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << QStringList{"", "", ""};
    QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("break at the end") << QByteArray("ab\r") << QStringList{"ab", ""};
    QTest::newRow("long line then break")
        << QByteArray("0123456789abc\r\nd") << QStringList{"0123456789", "abc", "d"};
}

void ReceiveLayoutTest::lineBreaks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    ReceiveStore store;
    ReceiveLayout layout(store);
    apply(layout, simpleSetup());
    store.append(bytes);
    QCOMPARE(rowTexts(layout), rows);
    QCOMPARE(up(layout), down(layout));
}

void ReceiveLayoutTest::breakCompletedByLaterAppend()
{
    ReceiveStore store;
    ReceiveLayout layout(store);
    apply(layout, simpleSetup());
    store.append("ab\r");
    QCOMPARE(rowTexts(layout), QStringList({"ab", ""}));

    // The LF joins the CR: one break, and no empty row between.
    store.append("\ncd");
    QCOMPARE(rowTexts(layout), QStringList({"ab", "cd"}));
    QCOMPARE(layout.rowAt(0).next, 4);
    QCOMPARE(layout.rowAt(3).start, 0);
}

void ReceiveLayoutTest::controlBytesShowAsPictures()
{
    ReceiveStore store;
    ReceiveLayout layout(store);
    apply(layout, simpleSetup());
    store.append("\x01\t\x1b\x7f\x85\xa0\xe9~");
    QCOMPARE(rowTexts(layout),
             QStringList(QStringLiteral(u"\u2401\u2409\u241b\u2421\ufffd\u00a0\u00e9~")));
    QVERIFY(ReceiveLayout::displayChar('\r').isNull());
    QVERIFY(ReceiveLayout::displayChar('\n').isNull());

    // The plain text joins lines with LF whatever broke them.
    store.append("\r\nb\rc\nd");
    QCOMPARE(layout.toPlainText(),
             QStringLiteral(u"\u2401\u2409\u241b\u2421\ufffd\u00a0\u00e9~\nb\nc\nd"));
}

void ReceiveLayoutTest::hexRowsOf16SplitAtBursts()
{
    QByteArray bytes;
    for (int i = 0; i < 40; ++i)
        bytes.append(char(i * 7));
    ReceiveStore store;
    store.markBurst(1000);
    store.append(bytes.first(20));
    store.markBurst(2000);
    store.append(bytes.sliced(20));

    ReceiveLayout layout(store);
    naivereceive::Setup setup = simpleSetup();
    setup.hex = true;
    apply(layout, setup);
    const std::vector<Row> plain = naivereceive::walkDown(layout);
    QCOMPARE(naivereceive::describe(plain), QStringList({"0-16>16", "16-32>32", "32-40>40"}));
    for (const Row &row : plain)
        QCOMPARE(layout.rowText(row), HexRow::format(row.start, store.slice(row.start, row.end)));

    // With time stamps each burst starts a row under its stamp.
    setup.stamps = true;
    apply(layout, setup);
    QCOMPARE(down(layout), QStringList({"0-16>16", "16-20>20", "20-36>36", "36-40>40"}));
    QCOMPARE(up(layout), scanned(store, setup));
}

void ReceiveLayoutTest::droppedMarkerComesFirst()
{
    ReceiveStore store(ReceiveStore::kSmallestCapacity);
    ReceiveLayout layout(store);
    const naivereceive::Setup setup = simpleSetup();
    apply(layout, setup);
    for (int i = 0; i < 200; ++i)
        store.append(QByteArray(QByteArray(30, char('a' + i % 26)) + "\r\n"));
    QVERIFY(store.droppedBytes() > 0);

    QCOMPARE(layout.firstTop(), store.begin() - 1);
    const Row marker = layout.rowAt(layout.firstTop());
    QVERIFY(marker.dropped);
    QCOMPARE(layout.rowText(marker), ReceiveLayout::droppedText(store.droppedBytes()));
    QVERIFY(layout.rowAt(0).dropped);
    QVERIFY(!layout.rowBefore(marker));
    const std::optional<Row> first = layout.rowAfter(marker, layout.lastRow());
    QVERIFY(first);
    QCOMPARE(first->start, store.begin());
    QVERIFY(layout.rowBefore(*first)->dropped);
    QVERIFY(layout.toPlainText().startsWith(ReceiveLayout::droppedText(store.droppedBytes()) +
                                            QLatin1Char('\n')));
    QCOMPARE(down(layout), scanned(store, setup));

    QCOMPARE(ReceiveLayout::droppedText(12), QStringLiteral(u"\u2026 12 bytes dropped"));
    QCOMPARE(ReceiveLayout::droppedText(3 * 1024 + 512), QStringLiteral(u"\u2026 3.5 KiB dropped"));
}

void ReceiveLayoutTest::walksMatchRowsFromScan_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("stamps");
    QTest::addColumn<qsizetype>("capacity");
    for (const bool hex : {false, true}) {
        for (const bool stamps : {false, true}) {
            const char *view = hex ? "hex" : "text";
            const char *stamped = stamps ? ", stamps" : "";
            QTest::addRow("%s%s", view, stamped) << hex << stamps << ReceiveStore::kDefaultCapacity;
            QTest::addRow("%s%s, dropped", view, stamped)
                << hex << stamps << ReceiveStore::kSmallestCapacity * 2;
        }
    }
}

void ReceiveLayoutTest::walksMatchRowsFromScan()
{
    QFETCH(bool, hex);
    QFETCH(bool, stamps);
    QFETCH(qsizetype, capacity);
    QRandomGenerator random(31);
    naivereceive::Setup setup;
    for (size_t byte = 0; byte < setup.advances.size(); ++byte)
        setup.advances[byte] = 0.5 * double(1 + byte % 5);
    setup.width = 37.5;
    setup.hex = hex;
    setup.stamps = stamps;

    ReceiveStore store(capacity);
    ReceiveLayout layout(store);
    apply(layout, setup);
    feed(store, mixedTraffic(random, 30000), random);
    QCOMPARE(store.droppedBytes() > 0, capacity < ReceiveStore::kDefaultCapacity);

    const QStringList expected = scanned(store, setup);
    QCOMPARE(down(layout), expected);
    QCOMPARE(up(layout), expected);
}

void ReceiveLayoutTest::bottomAndStepsStopAtBothEnds()
{
    ReceiveStore store(ReceiveStore::kSmallestCapacity);
    ReceiveLayout layout(store);
    const naivereceive::Setup setup = simpleSetup();
    apply(layout, setup);
    for (int i = 0; i < 300; ++i)
        store.append(QByteArray(QByteArray(i % 23, 'x') + "\n"));
    const std::vector<Row> rows = naivereceive::rows(store, setup);
    const auto count = int(rows.size());
    QVERIFY(count > 20);
    const auto at = [&rows](int index) { return rows[size_t(index)].start; };

    // Five rows high: the last five rows show at the bottom.
    QCOMPARE(layout.bottomTop(5), at(count - 5));
    QCOMPARE(layout.bottomTop(1), at(count - 1));
    QCOMPARE(layout.bottomTop(count + 10), layout.firstTop());

    QCOMPARE(layout.rowsFrom(layout.firstTop(), 3, 5).start, at(3));
    QCOMPARE(layout.rowsFrom(layout.firstTop(), -3, 5).start, layout.firstTop());
    QCOMPARE(layout.rowsFrom(at(2), -1, 5).start, at(1));
    // Down stops where the last row shows at the bottom.
    QCOMPARE(layout.rowsFrom(at(count - 8), 100, 5).start, at(count - 5));
    QCOMPARE(layout.rowsFrom(layout.bottomTop(5), 1, 5).start, at(count - 5));
    QCOMPARE(layout.rowsFrom(layout.bottomTop(5), -2, 5).start, at(count - 7));
    // From anywhere in a row, steps count from that row.
    QCOMPARE(layout.rowsFrom(at(4) + 1, 1, 5).start, at(5));
}

void ReceiveLayoutTest::longLineMatchesFreshLayout()
{
    QRandomGenerator random(8);
    naivereceive::Setup setup = simpleSetup();
    setup.advances['i'] = 0.5;
    setup.advances['W'] = 2.5;
    setup.width = 80;
    QByteArray longLine;
    for (int i = 0; i < 9000; ++i)
        longLine.append("iWxy"[random.bounded(4)]);

    ReceiveStore store;
    ReceiveLayout layout(store);
    apply(layout, setup);
    store.append("short\r\n");
    // The long line arrives in pieces while its wrap is kept: from the
    // bottom up as the box follows, then at places in its middle.
    for (qsizetype at = 0; at < longLine.size(); at += 1000) {
        store.append(
            QByteArrayView(longLine).sliced(at, std::min<qsizetype>(1000, longLine.size() - at)));
        QCOMPARE(up(layout), scanned(store, setup));
        const std::vector<Row> rows = naivereceive::rows(store, setup);
        for (int i = 0; i < 20; ++i) {
            const qint64 offset = random.bounded(int(store.end()) + 1);
            QCOMPARE(naivereceive::describe(layout.rowAt(offset)),
                     naivereceive::describe(rowHolding(rows, offset)));
        }
    }
    store.append("\r\ntail");
    const QStringList cached = down(layout);

    layout.invalidate();
    QCOMPARE(down(layout), cached);
    QCOMPARE(cached, scanned(store, setup));
}

void ReceiveLayoutTest::newWidthWrapsAgain()
{
    ReceiveStore store;
    ReceiveLayout layout(store);
    naivereceive::Setup setup = simpleSetup();
    apply(layout, setup);
    store.append(QByteArray(QByteArray(5000, 'x') + "\r\n" + QByteArray(30, 'y')));
    QCOMPARE(up(layout), scanned(store, setup));

    setup.width = 7;
    layout.setRowWidth(setup.width);
    QCOMPARE(down(layout), scanned(store, setup));
}

QTEST_GUILESS_MAIN(ReceiveLayoutTest)
#include "tst_receivelayout.moc"
