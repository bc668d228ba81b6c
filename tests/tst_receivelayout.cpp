// SPDX-License-Identifier: GPL-3.0-or-later
// The receive box's rows without a window: wrapping, line breaks, hex rows,
// the dropped marker and scrolling positions, against rows worked out from a
// scan of the bytes.
#include "support/core/naivereceive.h"

#include "receive/hexrow.h"
#include "receive/receivegeometry.h"
#include "receive/receivelayout.h"
#include "receive/receiveselection.h"
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

// Text rows with characters of three widths and a long row; hex rows with
// columns of 8. Rows are 16 high and the text starts at 5.
naivereceive::Setup geometrySetup(bool hex)
{
    naivereceive::Setup setup;
    setup.advances.fill(10);
    setup.advances['W'] = 30;  // wide
    setup.advances['\t'] = 14; // shows as its control picture
    setup.width = 1000;
    setup.hex = hex;
    return setup;
}

constexpr ReceiveGeometry::Frame kFrame{0, 5, 0, 16, 100, 8};

// Text: "aWb<tab>c" at 5, 15, 45, 55 and 69 to 79, a CR LF, then "xy".
// Hex: a row of 16 bytes, then one of 2.
QByteArray geometryBytes(bool hex)
{
    return hex ? QByteArray("0123456789abcdefgh") : QByteArray("aWb\tc\r\nxy");
}

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
    void pointsFallOnOffsets_data();
    void pointsFallOnOffsets();
    void bytesSitInRects_data();
    void bytesSitInRects();
    void droppedMarkerFallsOnTheFirstHeldByte();
    void selectionSplitsRowsIntoRuns();
    void selectionStaysWithinHeldBytes();
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

    // Each byte is as wide as its picture; line breaks take no room.
    layout.setAdvancesFrom([](QChar shown) { return shown.unicode() >= 0x2400 ? 14.0 : 10.0; });
    QCOMPARE(layout.advance('\t'), 14.0);
    QCOMPARE(layout.advance(0x7F), 14.0);
    QCOMPARE(layout.advance('a'), 10.0);
    QCOMPARE(layout.advance('\r'), 0.0);
    QCOMPARE(layout.advance('\n'), 0.0);
    apply(layout, simpleSetup());

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

void ReceiveLayoutTest::pointsFallOnOffsets_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<int>("scroll");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<qint64>("offset");
    const auto text = [](const char *name, int x, int y, qint64 offset) {
        QTest::newRow(name) << false << 0 << QPoint(x, y) << offset;
    };
    text("left of the text", 0, 0, 0);
    text("left half of a character", 9, 0, 0);
    text("its middle goes after it", 10, 0, 1);
    text("left half of a wide character", 29, 0, 1);
    text("right half of a wide character", 30, 0, 2);
    text("left half of a control picture", 61, 0, 3);
    text("right half of a control picture", 62, 0, 4);
    text("past the row's end, before its break", 500, 0, 5);
    text("last pixel of the first row", 500, 15, 5);
    text("second row", 16, 16, 8);
    text("below the last row: the end", 0, 32, 9);
    text("above the box: the top row's start", 500, -1, 0);
    const auto hex = [](const char *name, int scroll, int column8ths, int y, qint64 offset) {
        const int x = kFrame.textLeft - scroll + column8ths;
        QTest::newRow(name) << true << scroll << QPoint(x, y) << offset;
    };
    hex("hex: on the offset", 0, 0, 0, 0);
    hex("hex: first half of the gap after a byte", 0, 99, 0, 0); // column 12.375
    hex("hex: second half of the gap", 0, 100, 0, 1);            // column 12.5
    hex("hex: on the 8th byte's digits", 0, 8 * 31, 0, 7);
    hex("hex: the wider gap after eight bytes", 0, 8 * 34, 0, 8); // column 34
    hex("hex: on a character", 0, 8 * 62 + 7, 0, 2);
    hex("hex: past the characters", 0, 8 * 90, 0, 16);
    hex("hex: past a short row's characters", 0, 8 * 70, 16, 18);
    hex("hex: on a short row's digits", 0, 8 * 13, 16, 17);
    hex("hex: scrolled across", 16, 8 * 13, 0, 1);
}

void ReceiveLayoutTest::pointsFallOnOffsets()
{
    QFETCH(bool, hex);
    QFETCH(int, scroll);
    QFETCH(QPoint, point);
    QFETCH(qint64, offset);
    ReceiveStore store;
    ReceiveLayout layout(store);
    apply(layout, geometrySetup(hex));
    store.append(geometryBytes(hex));
    ReceiveGeometry::Frame frame = kFrame;
    frame.scroll = scroll;
    QCOMPARE(ReceiveGeometry(layout, frame).offsetAt(point), offset);
}

void ReceiveLayoutTest::bytesSitInRects_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<int>("height");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("a character") << false << 100 << qint64(0) << QRect(5, 0, 10, 16);
    QTest::newRow("a wide one") << false << 100 << qint64(1) << QRect(15, 0, 30, 16);
    QTest::newRow("a control picture") << false << 100 << qint64(3) << QRect(55, 0, 14, 16);
    QTest::newRow("the CR of a break") << false << 100 << qint64(5) << QRect(79, 0, 0, 16);
    QTest::newRow("the LF of a break") << false << 100 << qint64(6) << QRect(79, 0, 0, 16);
    QTest::newRow("second row") << false << 100 << qint64(8) << QRect(15, 16, 10, 16);
    QTest::newRow("the end, not a byte") << false << 100 << qint64(9) << QRect();
    QTest::newRow("below the box") << false << 16 << qint64(8) << QRect();
    QTest::newRow("hex: digits") << true << 100 << qint64(1) << QRect(109, 0, 16, 16);
    QTest::newRow("hex: after eight") << true << 100 << qint64(8) << QRect(285, 0, 16, 16);
    QTest::newRow("hex: second row") << true << 100 << qint64(17) << QRect(109, 16, 16, 16);
}

void ReceiveLayoutTest::bytesSitInRects()
{
    QFETCH(bool, hex);
    QFETCH(int, height);
    QFETCH(qint64, offset);
    QFETCH(QRect, rect);
    ReceiveStore store;
    ReceiveLayout layout(store);
    apply(layout, geometrySetup(hex));
    store.append(geometryBytes(hex));
    ReceiveGeometry::Frame frame = kFrame;
    frame.height = height;
    QCOMPARE(ReceiveGeometry(layout, frame).byteRect(offset), rect);
}

void ReceiveLayoutTest::droppedMarkerFallsOnTheFirstHeldByte()
{
    ReceiveStore store(ReceiveStore::kSmallestCapacity);
    ReceiveLayout layout(store);
    apply(layout, geometrySetup(false));
    for (int i = 0; i < 200; ++i)
        store.append(QByteArray(QByteArray(30, 'x') + "\r\n"));
    QVERIFY(store.droppedBytes() > 0);
    ReceiveGeometry::Frame frame = kFrame;
    frame.top = layout.firstTop();
    const ReceiveGeometry geometry(layout, frame);
    QCOMPARE(geometry.offsetAt(QPoint(500, 0)), store.begin());
    QCOMPARE(geometry.offsetAt(QPoint(0, -1)), store.begin());
    QCOMPARE(geometry.offsetAt(QPoint(500, 16)), store.begin() + 30);
    QCOMPARE(geometry.byteRect(store.begin()), QRect(5, 16, 10, 16));
}

void ReceiveLayoutTest::selectionSplitsRowsIntoRuns()
{
    using Run = ReceiveGeometry::Run;
    const auto describe = [](const std::vector<Run> &runs) {
        QStringList described;
        for (const Run &run : runs)
            described.append(QStringLiteral("%1-%2%3 at %4+%5")
                                 .arg(run.from)
                                 .arg(run.to)
                                 .arg(run.selected ? "*" : "")
                                 .arg(run.rect.x())
                                 .arg(run.rect.width()));
        return described;
    };
    ReceiveStore store;
    ReceiveLayout layout(store);
    apply(layout, geometrySetup(false));
    store.append(geometryBytes(false));
    const ReceiveGeometry text(layout, kFrame);
    const Row first = layout.rowAt(0);
    QCOMPARE(describe(text.textRuns(first, 0, 1, 5)),
             QStringList({"0-1 at 5+10", "1-5* at 15+64"}));
    // A selected line break shows as a block a space wide after the text.
    QCOMPARE(describe(text.textRuns(first, 0, 3, 8)),
             QStringList({"0-3 at 5+50", "3-5* at 55+24", "5-5* at 79+10"}));
    QCOMPARE(describe(text.textRuns(layout.rowAt(7), 16, 3, 8)),
             QStringList({"7-8* at 5+10", "8-9 at 15+10"}));

    store.clear();
    layout.invalidate();
    apply(layout, geometrySetup(true));
    store.append(geometryBytes(true));
    const ReceiveGeometry hex(layout, kFrame);
    QCOMPARE(hex.hexSelection(layout.rowAt(0), 0, 15, 17),
             (std::vector<QRectF>{QRectF(453, 0, 16, 16), QRectF(605, 0, 8, 16)}));
}

void ReceiveLayoutTest::selectionStaysWithinHeldBytes()
{
    ReceiveStore store(ReceiveStore::kSmallestCapacity);
    ReceiveSelection selection(store);
    store.append("one\r\ntwo\rthree");
    // A double click takes the line with its break; the last line has none.
    selection.selectLine(6);
    QCOMPARE(selection.text(), QStringLiteral("two\r"));
    selection.selectLine(12);
    QCOMPARE(selection.text(), QStringLiteral("three"));
    // A click moves both ends, a Shift+click only the caret, backwards too.
    selection.moveCaret(7, false);
    selection.moveCaret(2, true);
    QCOMPARE(selection.text(), QStringLiteral("e\r\ntw"));
    QVERIFY(!selection.isEmpty());

    // Past the end, and over bytes that were dropped since, it shrinks to
    // what is held.
    selection.select(-5, 100);
    QCOMPARE(selection.start(), 0);
    QCOMPARE(selection.end(), store.end());
    for (int i = 0; i < 200; ++i)
        store.append(QByteArray(QByteArray(30, 'x') + "\r\n"));
    QVERIFY(store.begin() > 100);
    QCOMPARE(selection.start(), store.begin());
    QVERIFY(selection.isEmpty());
    QCOMPARE(selection.text(), QString());
}

QTEST_GUILESS_MAIN(ReceiveLayoutTest)
#include "tst_receivelayout.moc"
