// SPDX-License-Identifier: GPL-3.0-or-later
#include "receivelayout.h"

#include "hexrow.h"

#include <algorithm>

namespace {
// Lines at least this long keep their wrap between frames; shorter ones are
// cheaper to wrap again.
constexpr qint64 kCachedLine = 4096;
constexpr qint64 kKiB = 1024;
constexpr qint64 kMiB = 1024 * kKiB;
constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;
constexpr char16_t kReplacement = 0xFFFD;
} // namespace

ReceiveLayout::ReceiveLayout(const ReceiveStore &store)
    : m_store(store)
{}

void ReceiveLayout::setAdvances(const std::array<qreal, 256> &advances)
{
    m_advance = advances;
    invalidate();
}

void ReceiveLayout::setAdvancesFrom(const std::function<qreal(QChar)> &widthOf)
{
    std::array<qreal, 256> advances{};
    for (size_t byte = 0; byte < advances.size(); ++byte) {
        const QChar shown = displayChar(static_cast<unsigned char>(byte));
        advances[byte] = shown.isNull() ? 0 : widthOf(shown);
    }
    setAdvances(advances);
}

void ReceiveLayout::setRowWidth(qreal width)
{
    if (width == m_rowWidth)
        return;
    m_rowWidth = width;
    invalidate();
}

void ReceiveLayout::setHexView(bool on)
{
    m_hex = on;
    invalidate();
}

void ReceiveLayout::setTimeStamps(bool on)
{
    m_stamps = on;
    invalidate();
}

void ReceiveLayout::invalidate()
{
    for (Wrap &wrap : m_wraps)
        wrap = Wrap();
    m_scratch = Wrap();
}

QChar ReceiveLayout::displayChar(unsigned char byte)
{
    if (byte == '\r' || byte == '\n')
        return {};
    if (byte < 0x20)
        return QChar(static_cast<char16_t>(kControlPictures + byte));
    if (byte == 0x7F)
        return QChar(kDeletePicture);
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kReplacement);
    return QChar(static_cast<char16_t>(byte));
}

QString ReceiveLayout::droppedText(qint64 bytes)
{
    if (bytes >= kMiB)
        return QStringLiteral("\u2026 %1 MiB dropped").arg(double(bytes) / kMiB, 0, 'f', 1);
    if (bytes >= kKiB)
        return QStringLiteral("\u2026 %1 KiB dropped").arg(double(bytes) / kKiB, 0, 'f', 1);
    return QStringLiteral("\u2026 %1 bytes dropped").arg(bytes);
}

// --- Text ----------------------------------------------------------------------------

QString ReceiveLayout::shownText(qint64 from, qint64 to) const
{
    QString text;
    text.reserve(qsizetype(std::max<qint64>(to - from, 0)));
    for (qint64 at = from; at < to; ++at)
        text.append(displayChar(m_store.at(at)));
    return text;
}

QString ReceiveLayout::rowText(const Row &row) const
{
    if (row.dropped)
        return droppedText(m_store.droppedBytes());
    if (m_hex)
        return HexRow::format(row.start, m_store.slice(row.start, row.end));
    return shownText(row.start, row.end);
}

QString ReceiveLayout::toPlainText() const
{
    QString text;
    if (m_store.droppedBytes() > 0)
        text = droppedText(m_store.droppedBytes()) + QLatin1Char('\n');
    const QByteArray &bytes = m_store.bytes();
    text.reserve(text.size() + bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        const QChar shown = displayChar(byte);
        text.append(shown.isNull() ? QChar(u'\n') : shown);
    }
    return text;
}

// --- Rows ----------------------------------------------------------------------------

ReceiveLayout::Wrap &ReceiveLayout::wrapFor(qint64 lineStart, qint64 lineEnd) const
{
    for (Wrap &wrap : m_wraps) {
        if (wrap.line == lineStart) {
            wrap.used = ++m_wrapUse;
            return wrap;
        }
    }
    if (m_scratch.line == lineStart)
        return m_scratch;
    // A long line takes the place of the least recently used one kept.
    Wrap *wrap = &m_scratch;
    if (lineEnd - lineStart >= kCachedLine) {
        wrap = &*std::min_element(m_wraps.begin(), m_wraps.end(),
                                  [](const Wrap &a, const Wrap &b) { return a.used < b.used; });
        wrap->used = ++m_wrapUse;
    }
    *wrap = Wrap{lineStart, {0}, lineStart, 0, wrap->used};
    return *wrap;
}

void ReceiveLayout::extendWrap(Wrap &wrap, qint64 lineEnd, qint64 upTo) const
{
    const qint64 limit = std::min(upTo, lineEnd);
    while (wrap.scannedTo < limit) {
        const qreal width = m_advance[m_store.at(wrap.scannedTo)];
        if (wrap.rowWidth > 0 && wrap.rowWidth + width > m_rowWidth) {
            wrap.rowStarts.push_back(qint32(wrap.scannedTo - wrap.line));
            wrap.rowWidth = 0;
        }
        wrap.rowWidth += width;
        ++wrap.scannedTo;
    }
}

ReceiveLayout::Row ReceiveLayout::textRowAt(qint64 offset) const
{
    offset = std::clamp(offset, m_store.begin(), m_store.end());
    const qint64 line = m_store.lineStart(offset);
    const qint64 next = m_store.nextLineStart(line);
    const qint64 lineEnd = m_store.lineEnd(line);

    Wrap &wrap = wrapFor(line, lineEnd);
    const qint64 at = std::min(offset, lineEnd);
    extendWrap(wrap, lineEnd, at + 1);
    const auto index =
        size_t(std::upper_bound(wrap.rowStarts.begin(), wrap.rowStarts.end(), qint32(at - line)) -
               wrap.rowStarts.begin() - 1);
    // The row's end is where the next one starts: wrap on until it shows.
    while (wrap.rowStarts.size() == index + 1 && wrap.scannedTo < lineEnd)
        extendWrap(wrap, lineEnd, wrap.scannedTo + 1);

    Row row;
    row.start = line + wrap.rowStarts[index];
    if (index + 1 < wrap.rowStarts.size()) {
        row.end = line + wrap.rowStarts[index + 1];
        row.next = row.end;
    } else {
        row.end = lineEnd;
        row.next = next < 0 ? m_store.end() : next;
    }
    return row;
}

ReceiveLayout::Row ReceiveLayout::hexRowAt(qint64 offset) const
{
    const qint64 begin = m_store.begin();
    const qint64 end = m_store.end();
    if (end == begin)
        return {begin, begin, begin};
    offset = std::clamp(offset, begin, end - 1);
    qint64 segmentStart = 0;
    qint64 segmentEnd = end;
    if (m_stamps) {
        // Each burst starts a row of its own, under its time stamp.
        const auto next = m_store.burstFrom(offset + 1);
        if (next != m_store.bursts().end())
            segmentEnd = next->offset;
        if (next != m_store.bursts().begin())
            segmentStart = std::prev(next)->offset;
    }
    const qint64 start = segmentStart + (offset - segmentStart) / HexRow::kBytes * HexRow::kBytes;
    Row row;
    row.start = std::max(start, begin);
    row.end = std::min({start + HexRow::kBytes, segmentEnd, end});
    row.next = row.end;
    return row;
}

ReceiveLayout::Row ReceiveLayout::rowAt(qint64 offset) const
{
    if (m_store.droppedBytes() > 0 && offset < m_store.begin()) {
        const qint64 marker = m_store.begin() - 1;
        return {marker, marker, m_store.begin(), true};
    }
    return m_hex ? hexRowAt(offset) : textRowAt(offset);
}

ReceiveLayout::Row ReceiveLayout::lastRow() const
{
    return rowAt(m_store.end());
}

std::optional<ReceiveLayout::Row> ReceiveLayout::rowAfter(const Row &row, const Row &last) const
{
    if (row.dropped)
        return rowAt(m_store.begin());
    if (row.start >= last.start)
        return std::nullopt;
    return rowAt(row.next);
}

std::optional<ReceiveLayout::Row> ReceiveLayout::rowBefore(const Row &row) const
{
    if (row.dropped)
        return std::nullopt;
    if (row.start <= m_store.begin()) {
        if (m_store.droppedBytes() > 0)
            return rowAt(m_store.begin() - 1);
        return std::nullopt;
    }
    return rowAt(row.start - 1);
}

qint64 ReceiveLayout::firstTop() const
{
    return m_store.droppedBytes() > 0 ? m_store.begin() - 1 : m_store.begin();
}

qint64 ReceiveLayout::bottomTop(int visibleRows) const
{
    Row row = lastRow();
    for (int i = 1; i < visibleRows; ++i) {
        const std::optional<Row> before = rowBefore(row);
        if (!before)
            break;
        row = *before;
    }
    return row.start;
}

ReceiveLayout::Row ReceiveLayout::rowsFrom(qint64 top, int rows, int visibleRows) const
{
    Row row = rowAt(top);
    const qint64 bottom = bottomTop(visibleRows);
    const Row last = lastRow();
    for (; rows > 0 && row.start < bottom; --rows)
        row = rowAfter(row, last).value_or(row);
    for (; rows < 0; ++rows) {
        const std::optional<Row> before = rowBefore(row);
        if (!before)
            break;
        row = *before;
    }
    return row;
}
