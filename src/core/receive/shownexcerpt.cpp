// SPDX-License-Identifier: GPL-3.0-or-later
#include "shownexcerpt.h"

#include "hexrow.h"

#include <algorithm>

ShownExcerpt ShownExcerpt::around(const ReceiveLayout &layout, qint64 top, int visibleRows)
{
    ShownExcerpt excerpt;
    excerpt.m_hex = layout.isHexView();
    const ReceiveLayout::Row last = layout.lastRow();
    std::optional<ReceiveLayout::Row> row = layout.rowsFrom(top, -kRowsAround, visibleRows);
    const int rows = kRowsAround + std::max(visibleRows, 1) + kRowsAround;
    for (int count = 0; row && count < rows; ++count) {
        const std::optional<ReceiveLayout::Row> next = layout.rowAfter(*row, last);
        excerpt.append(layout, *row, !next || count + 1 == rows);
        row = next;
    }
    return excerpt;
}

void ShownExcerpt::append(const ReceiveLayout &layout, const ReceiveLayout::Row &row, bool last)
{
    m_rows.push_back({int(m_text.size()), row});
    m_text += layout.rowText(row);
    m_end = row.next;
    // A wrapped row runs on into the next; any other row ends its line.
    const bool endsLine = row.dropped || m_hex || row.next > row.end;
    if (endsLine && !last)
        m_text += QLatin1Char('\n');
}

const ShownExcerpt::Piece *ShownExcerpt::pieceAt(qint64 offset) const
{
    const auto after =
        std::upper_bound(m_rows.begin(), m_rows.end(), offset,
                         [](qint64 value, const Piece &piece) { return value < piece.row.start; });
    return after == m_rows.begin() ? nullptr : &*std::prev(after);
}

int ShownExcerpt::position(qint64 offset) const
{
    const Piece *piece = pieceAt(offset);
    if (!piece)
        return 0;
    if (offset >= m_end)
        return int(m_text.size());
    const ReceiveLayout::Row &row = piece->row;
    if (row.dropped)
        return piece->position;
    // A line break shows as the line feed after the row's text; a hex row
    // holds no break.
    const int index = int(std::min(offset, row.end) - row.start);
    return piece->position + (m_hex ? HexRow::hexColumn(index) : index);
}

qint64 ShownExcerpt::offset(int position) const
{
    if (m_rows.empty() || position >= m_text.size())
        return m_end;
    const auto after =
        std::upper_bound(m_rows.begin(), m_rows.end(), std::max(position, 0),
                         [](int value, const Piece &piece) { return value < piece.position; });
    const Piece &piece = *std::prev(after);
    const ReceiveLayout::Row &row = piece.row;
    const int count = int(row.end - row.start);
    const int column = std::max(position, 0) - piece.position;
    if (row.dropped || count == 0)
        return row.dropped ? row.next : row.start;
    if (!m_hex)
        return column < count ? row.start + column : row.end;
    if (column >= HexRow::charColumn(count))
        return row.next;
    int index = 0;
    if (column >= HexRow::charColumn(0))
        index = column - HexRow::charColumn(0);
    else
        while (index + 1 < count && column >= HexRow::hexColumn(index + 1))
            ++index;
    return row.start + std::min(index, count - 1);
}

ShownExcerpt::Change ShownExcerpt::between(const ShownExcerpt &before, const ShownExcerpt &after)
{
    // Where the new excerpt starts in the old one, when both show the same
    // view: the rows above it went; anything else is found by comparing.
    int head = 0;
    if (!before.isEmpty() && !after.isEmpty() && before.m_hex == after.m_hex) {
        const qint64 first = after.m_rows.front().row.start;
        const Piece *piece = before.pieceAt(first);
        if (first >= before.m_end)
            head = int(before.m_text.size());
        else if (piece && piece->row.start == first)
            head = piece->position;
    }
    const QStringView rest = QStringView(before.m_text).mid(head);
    const QStringView next(after.m_text);
    const auto differ = std::mismatch(rest.begin(), rest.end(), next.begin(), next.end());
    const int kept = int(differ.first - rest.begin());

    Change change;
    change.head = before.m_text.left(head);
    change.kept = kept;
    change.removed = rest.mid(kept).toString();
    change.inserted = next.mid(kept).toString();
    return change;
}
