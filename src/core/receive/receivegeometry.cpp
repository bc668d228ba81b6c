// SPDX-License-Identifier: GPL-3.0-or-later
#include "receivegeometry.h"

#include "hexrow.h"

#include <algorithm>
#include <cmath>

namespace {
// A click this far past a byte's two hex digits still falls on it: half the
// space before the next byte's digits.
constexpr qreal kHexDigitsAndHalfGap = 2.5;
} // namespace

ReceiveGeometry::ReceiveGeometry(const ReceiveLayout &layout, const Frame &frame)
    : m_layout(layout)
    , m_frame(frame)
{}

std::vector<ReceiveGeometry::Row> ReceiveGeometry::rowsOnScreen() const
{
    std::vector<Row> rows;
    const Row last = m_layout.lastRow();
    std::optional<Row> row = m_layout.rowAt(m_frame.top);
    for (int y = 0; row && y < m_frame.height; y += m_frame.rowHeight) {
        rows.push_back(*row);
        row = m_layout.rowAfter(*row, last);
    }
    return rows;
}

qint64 ReceiveGeometry::offsetAt(const QPoint &point) const
{
    const Row last = m_layout.lastRow();
    Row row = m_layout.rowAt(m_frame.top);
    if (point.y() < 0)
        return row.dropped ? m_layout.store().begin() : row.start;
    for (int y = m_frame.rowHeight; y <= point.y(); y += m_frame.rowHeight) {
        const std::optional<Row> next = m_layout.rowAfter(row, last);
        if (!next)
            return m_layout.store().end();
        row = *next;
    }
    return offsetInRow(row, point.x());
}

qint64 ReceiveGeometry::offsetInRow(const Row &row, int x) const
{
    if (row.dropped)
        return m_layout.store().begin();
    if (m_layout.isHexView())
        return hexOffsetInRow(row, x);
    qreal left = m_frame.textLeft;
    for (qint64 at = row.start; at < row.end; ++at) {
        const qreal advance = m_layout.advance(m_layout.store().at(at));
        if (x < left + advance / 2)
            return at;
        left += advance;
    }
    return row.end;
}

qint64 ReceiveGeometry::hexOffsetInRow(const Row &row, int x) const
{
    const qreal column = (x - m_frame.textLeft + m_frame.scroll) / m_frame.hexCell;
    const int count = int(row.end - row.start);
    int index = 0;
    if (column >= HexRow::charColumn(0)) {
        index = int(std::floor(column)) - HexRow::charColumn(0);
    } else {
        while (index < count && column >= HexRow::hexColumn(index) + kHexDigitsAndHalfGap)
            ++index;
    }
    return row.start + std::clamp(index, 0, count);
}

QRect ReceiveGeometry::byteRect(qint64 offset) const
{
    int y = 0;
    for (const Row &row : rowsOnScreen()) {
        if (!row.dropped && offset >= row.start && offset < std::max(row.next, row.start + 1))
            return byteRectInRow(row, y, offset);
        y += m_frame.rowHeight;
    }
    return {};
}

QRect ReceiveGeometry::byteRectInRow(const Row &row, int y, qint64 offset) const
{
    const int index = int(std::min(offset, row.end) - row.start);
    if (m_layout.isHexView())
        return QRectF(hexLeft(index), y, 2 * m_frame.hexCell, m_frame.rowHeight).toAlignedRect();
    qreal left = m_frame.textLeft;
    for (qint64 at = row.start; at < row.start + index; ++at)
        left += m_layout.advance(m_layout.store().at(at));
    const qreal width = offset < row.end ? m_layout.advance(m_layout.store().at(offset)) : 0;
    return QRectF(left, y, width, m_frame.rowHeight).toAlignedRect();
}

qreal ReceiveGeometry::textWidth(qint64 from, qint64 to) const
{
    qreal width = 0;
    for (qint64 at = from; at < to; ++at)
        width += m_layout.advance(m_layout.store().at(at));
    return width;
}

std::vector<ReceiveGeometry::Run> ReceiveGeometry::textRuns(const Row &row, int y, qint64 from,
                                                            qint64 to) const
{
    std::vector<Run> runs;
    qreal x = m_frame.textLeft;
    const auto add = [&](qint64 begin, qint64 end, bool selected) {
        if (begin >= end)
            return;
        const qreal width = textWidth(begin, end);
        runs.push_back({begin, end, QRectF(x, y, width, m_frame.rowHeight), selected});
        x += width;
    };
    const qint64 first = std::clamp(from, row.start, row.end);
    const qint64 last = std::clamp(to, row.start, row.end);
    add(row.start, first, false);
    add(first, last, true);
    add(last, row.end, false);
    if (row.next > row.end && from <= row.end && to > row.end) {
        const QRectF block(x, y, m_layout.advance(' '), m_frame.rowHeight);
        runs.push_back({row.end, row.end, block, true});
    }
    return runs;
}

std::vector<QRectF> ReceiveGeometry::hexSelection(const Row &row, int y, qint64 from,
                                                  qint64 to) const
{
    std::vector<QRectF> rects;
    for (qint64 at = std::max(from, row.start); at < std::min(to, row.end); ++at) {
        const int index = int(at - row.start);
        rects.emplace_back(hexLeft(index), y, 2 * m_frame.hexCell, m_frame.rowHeight);
        rects.emplace_back(charLeft(index), y, m_frame.hexCell, m_frame.rowHeight);
    }
    return rects;
}

qreal ReceiveGeometry::hexLeft(int index) const
{
    return m_frame.textLeft - m_frame.scroll + HexRow::hexColumn(index) * m_frame.hexCell;
}

qreal ReceiveGeometry::charLeft(int index) const
{
    return m_frame.textLeft - m_frame.scroll + HexRow::charColumn(index) * m_frame.hexCell;
}
