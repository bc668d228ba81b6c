// SPDX-License-Identifier: GPL-3.0-or-later
// The excerpt of the receive box that assistive technology reads: the text as
// shown, bounded around the rows on screen, with offsets mapped both ways, and
// each change told as removals and an insertion that rebuild the new text.
#include "support/core/appliedchange.h"

#include "receive/hexrow.h"
#include "receive/receivelayout.h"
#include "receive/receivestore.h"
#include "receive/shownexcerpt.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
constexpr int kWidth = 10;

// Every byte one unit wide, rows ten units: a layout the test can follow.
void setUnitLayout(ReceiveLayout &layout)
{
    std::array<qreal, 256> advances{};
    advances.fill(1);
    advances['\r'] = advances['\n'] = 0;
    layout.setAdvances(advances);
    layout.setRowWidth(kWidth);
}

} // namespace

class ShownExcerptTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textIsAsShown_data();
    void textIsAsShown();
    void hexRowsAreLines();
    void offsetsMapBothWays();
    void boundedAroundTheRowsOnScreen();
    void droppedLinesAreSaid();
    void changesRebuildTheNewText();
};

void ShownExcerptTest::textIsAsShown_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("NUL inside") << QByteArray("A\0B", 3) << QStringLiteral("A\u2400B");
    QTest::newRow("CR LF, CR, LF") << QByteArray("a\r\nb\rc\nd") << QStringLiteral("a\nb\nc\nd");
    QTest::newRow("wrap adds nothing")
        << QByteArray("0123456789abcdef") << QStringLiteral("0123456789abcdef");
    QTest::newRow("DEL and C1") << QByteArray("\x7F\x85x") << QStringLiteral("\u2421\uFFFDx");
    QTest::newRow("break at end") << QByteArray("ab\r\n") << QStringLiteral("ab\n");
}

void ShownExcerptTest::textIsAsShown()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    ReceiveStore store;
    store.append(bytes);
    ReceiveLayout layout(store);
    setUnitLayout(layout);

    const ShownExcerpt excerpt = ShownExcerpt::around(layout, layout.firstTop(), 5);
    QCOMPARE(excerpt.text(), text);
}

void ShownExcerptTest::hexRowsAreLines()
{
    ReceiveStore store;
    QByteArray bytes;
    for (int i = 0; i < 40; ++i)
        bytes += char(i);
    store.append(bytes);
    ReceiveLayout layout(store);
    setUnitLayout(layout);
    layout.setHexView(true);

    const ShownExcerpt excerpt = ShownExcerpt::around(layout, layout.firstTop(), 5);
    const QString expected = HexRow::format(0, bytes.first(16)) + u'\n' +
                             HexRow::format(16, bytes.sliced(16, 16)) + u'\n' +
                             HexRow::format(32, bytes.sliced(32));
    QCOMPARE(excerpt.text(), expected);
    // Byte 17 shows as the hex digits of the second row's second byte.
    QCOMPARE(excerpt.position(17), HexRow::width() + 1 + HexRow::hexColumn(1));
    QCOMPARE(excerpt.offset(HexRow::width() + 1 + HexRow::hexColumn(1) + 1), qint64(17));
    QCOMPARE(excerpt.offset(HexRow::width() + 1 + HexRow::charColumn(3)), qint64(19));
}

void ShownExcerptTest::offsetsMapBothWays()
{
    ReceiveStore store;
    store.append("first line\r\nsecond, longer than a row\rthird\n\nlast");
    ReceiveLayout layout(store);
    setUnitLayout(layout);
    const ShownExcerpt excerpt = ShownExcerpt::around(layout, layout.firstTop(), 3);

    for (qint64 offset = store.begin(); offset < store.end(); ++offset) {
        const unsigned char byte = store.at(offset);
        const int position = excerpt.position(offset);
        const QChar shown = ReceiveLayout::displayChar(byte);
        if (!shown.isNull()) {
            // Each shown byte is its own character, and maps back to itself.
            QCOMPARE(excerpt.text().at(position), shown);
            QCOMPARE(excerpt.offset(position), offset);
        } else {
            QCOMPARE(excerpt.text().at(position), QChar(u'\n'));
        }
    }
    QCOMPARE(excerpt.position(store.end()), int(excerpt.text().size()));
    QCOMPARE(excerpt.offset(int(excerpt.text().size())), store.end());
}

void ShownExcerptTest::boundedAroundTheRowsOnScreen()
{
    ReceiveStore store;
    QByteArray bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += QByteArray::number(i) + "\r\n";
    store.append(bytes);
    ReceiveLayout layout(store);
    setUnitLayout(layout);
    constexpr int kRows = 8;

    // The top row is line 500: the excerpt holds it, with at most the bound
    // of rows on either side.
    const qint64 top = bytes.indexOf("500\r\n");
    const ShownExcerpt excerpt = ShownExcerpt::around(layout, top, kRows);
    const QStringList shownLines = excerpt.text().split(u'\n');
    QCOMPARE(shownLines.size(), ShownExcerpt::kRowsAround * 2 + kRows);
    QCOMPARE(shownLines.first(), QString::number(500 - ShownExcerpt::kRowsAround));
    QCOMPARE(shownLines.last(), QString::number(500 + kRows + ShownExcerpt::kRowsAround - 1));
    QCOMPARE(excerpt.offset(0), qint64(bytes.indexOf("400\r\n")));
    // Offsets outside give its ends.
    QCOMPARE(excerpt.position(0), 0);
    QCOMPARE(excerpt.position(store.end()), int(excerpt.text().size()));

    // At the bottom it ends with the last line, and the empty row after it.
    const ShownExcerpt bottom = ShownExcerpt::around(layout, layout.bottomTop(kRows), kRows);
    QVERIFY(bottom.text().endsWith(u"999\n"));
}

void ShownExcerptTest::droppedLinesAreSaid()
{
    ReceiveStore store(ReceiveStore::kSmallestCapacity);
    for (int i = 0; i < 2000; ++i)
        store.append(QByteArray(QByteArray::number(i) + "\r\n"));
    QVERIFY(store.droppedBytes() > 0);
    ReceiveLayout layout(store);
    setUnitLayout(layout);

    const ShownExcerpt excerpt = ShownExcerpt::around(layout, layout.firstTop(), 4);
    QVERIFY2(excerpt.text().startsWith(ReceiveLayout::droppedText(store.droppedBytes()) + u'\n'),
             qPrintable(excerpt.text().left(40)));
    // The marker stands for the first held byte.
    QCOMPARE(excerpt.offset(0), store.begin());
}

void ShownExcerptTest::changesRebuildTheNewText()
{
    // Following the end while bytes arrive, scrolling, switching views: what
    // each change tells rebuilds the new text from the old one.
    QRandomGenerator random(7);
    ReceiveStore store(8192);
    ReceiveLayout layout(store);
    setUnitLayout(layout);
    ShownExcerpt before = ShownExcerpt::around(layout, layout.firstTop(), 6);
    bool followed = false;
    for (int step = 0; step < 300; ++step) {
        QByteArray chunk;
        const int size = int(random.bounded(1, 120));
        for (int i = 0; i < size; ++i)
            chunk += "ab\r\n\0xyz"[random.bounded(8)];
        store.append(chunk);
        const qint64 dropped = store.droppedBytes();
        const bool switched = step % 37 == 0;
        if (switched) {
            layout.setHexView(!layout.isHexView());
            layout.invalidate();
        }
        const bool follows = step % 5 != 0;
        const qint64 top = follows ? layout.bottomTop(6)
                                   : store.begin() + random.bounded(int(store.end() / 2 + 1));
        const ShownExcerpt after = ShownExcerpt::around(layout, layout.rowAt(top).start, 6);
        const ShownExcerpt::Change change = ShownExcerpt::between(before, after);
        QCOMPARE(appliedChange(before.text(), change), after.text());
        // While it follows the end, what arrived is what is told, not the
        // whole excerpt again (a hex row shows about five characters a byte).
        if (followed && follows && !switched && store.droppedBytes() == dropped)
            QVERIFY2(change.inserted.size() <= 5 * size + 2 * HexRow::width(),
                     qPrintable(QString::number(change.inserted.size())));
        followed = follows;
        before = after;
    }
}

QTEST_GUILESS_MAIN(ShownExcerptTest)
#include "tst_shownexcerpt.moc"
