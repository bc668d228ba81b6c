// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "receivestore.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// Splits the bytes of a ReceiveStore into the rows the receive box shows,
// without a window: the view hands it each byte's advance and the width of a
// row. In text view CR LF, a lone CR and a lone LF break the line and long
// lines wrap at the width; in hex view a row holds 16 bytes, and with time
// stamps on each burst starts a row of its own. After bytes were dropped the
// first row is a marker that says how many.
//
// Rows are found from any offset by wrapping only the line that holds it;
// long lines keep their wrap between calls, so a line of megabytes costs its
// length once, not on every frame.
class ReceiveLayout final
{
public:
    struct Row
    {
        qint64 start = 0; // first byte shown
        qint64 end = 0;   // after the last byte shown
        qint64 next = 0;  // first byte of the next row: line breaks belong here
        bool dropped = false;
    };

    explicit ReceiveLayout(const ReceiveStore &store);
    const ReceiveStore &store() const { return m_store; }

    // The width each byte takes in text view, by byte value.
    void setAdvances(const std::array<qreal, 256> &advances);
    // The same from the width of each byte's display character.
    void setAdvancesFrom(const std::function<qreal(QChar)> &widthOf);
    qreal advance(unsigned char byte) const { return m_advance[byte]; }
    void setRowWidth(qreal width);
    qreal rowWidth() const { return m_rowWidth; }
    void setHexView(bool on);
    bool isHexView() const { return m_hex; }
    void setTimeStamps(bool on);
    bool hasTimeStamps() const { return m_stamps; }
    // Forgets the kept wraps; needed when held lines changed other than by
    // appending (the store was cleared or its capacity cut).
    void invalidate();

    // The row that holds the offset; offsets before the held bytes give the
    // dropped marker, and those past the end the last row.
    Row rowAt(qint64 offset) const;
    Row lastRow() const;
    std::optional<Row> rowAfter(const Row &row, const Row &last) const;
    std::optional<Row> rowBefore(const Row &row) const;
    // Where the first row starts: the dropped marker's offset, if any.
    qint64 firstTop() const;
    // Where the top row is when the last row shows at the bottom of a box
    // this many rows high.
    qint64 bottomTop(int visibleRows) const;
    // The row the given number of rows below (or above) the row at `top`,
    // stopping at either end.
    Row rowsFrom(qint64 top, int rows, int visibleRows) const;

    // The row exactly as shown.
    QString rowText(const Row &row) const;
    // The display characters of the held bytes in [from, to).
    QString shownText(qint64 from, qint64 to) const;
    // The text as shown, lines joined by a line feed; wrapping adds nothing.
    QString toPlainText() const;

    // The display character for a received byte, QChar() for one that breaks
    // the line.
    static QChar displayChar(unsigned char byte);
    // "… 12.3 MiB dropped"
    static QString droppedText(qint64 bytes);

private:
    // Where the rows of one line start. Filled only as far as asked for.
    struct Wrap
    {
        qint64 line = -1;
        std::vector<qint32> rowStarts; // relative to the line's start
        qint64 scannedTo = 0;
        qreal rowWidth = 0;
        quint64 used = 0;
    };

    Row textRowAt(qint64 offset) const;
    Row hexRowAt(qint64 offset) const;
    Wrap &wrapFor(qint64 lineStart, qint64 lineEnd) const;
    void extendWrap(Wrap &wrap, qint64 lineEnd, qint64 upTo) const;

    const ReceiveStore &m_store;
    std::array<qreal, 256> m_advance{};
    qreal m_rowWidth = 0;
    bool m_hex = false;
    bool m_stamps = false;
    // Two long lines keep their wrap (the one at the top of the box and the
    // one at the bottom); shorter lines are wrapped again in the scratch.
    mutable std::array<Wrap, 2> m_wraps;
    mutable Wrap m_scratch;
    mutable quint64 m_wrapUse = 0;
};
