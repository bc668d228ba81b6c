// SPDX-License-Identifier: GPL-3.0-or-later
#include "receivestore.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr qint64 kStride = 64;
} // namespace

ReceiveStore::ReceiveStore(qsizetype capacity)
    : m_capacity(std::max(capacity, kSmallestCapacity))
{}

qsizetype ReceiveStore::capacityFromSetting(const QString &mebibytes)
{
    constexpr double kMiB = 1024 * 1024;
    bool ok = false;
    const double value = mebibytes.trimmed().toDouble(&ok);
    if (!ok || !(value > 0))
        return kDefaultCapacity;
    const double bytes = std::min(value * kMiB, double(kLargestCapacity));
    return std::max(qsizetype(bytes), kSmallestCapacity);
}

void ReceiveStore::setCapacity(qsizetype capacity)
{
    m_capacity = std::max(capacity, kSmallestCapacity);
    if (m_bytes.size() > m_capacity)
        dropOldest();
}

void ReceiveStore::append(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qsizetype room = m_capacity - m_bytes.size();
        if (room <= 0) {
            dropOldest();
            continue;
        }
        const QByteArrayView part = bytes.first(std::min(room, bytes.size()));
        const qint64 from = end();
        reserveFor(part.size());
        m_bytes.append(part.data(), part.size());
        indexLines(from, part);
        bytes = bytes.sliced(part.size());
    }
}

void ReceiveStore::reserveFor(qsizetype more)
{
    // Grow by half at a time and never past the capacity: the held bytes
    // then cost at most half as much again, and nothing once the box is full.
    const qsizetype needed = m_bytes.size() + more;
    if (needed <= m_bytes.capacity())
        return;
    m_bytes.reserve(std::min(m_capacity, std::max(needed, m_bytes.size() + m_bytes.size() / 2)));
}

void ReceiveStore::indexLines(qint64 from, QByteArrayView part)
{
    for (qsizetype i = 0; i < part.size(); ++i) {
        const char c = part[i];
        if (c == '\n') {
            // CR LF is one break: the line starts after the LF, not between.
            const qint64 offset = from + i;
            if (m_starts.back() == offset && offset > begin() && at(offset - 1) == '\r')
                m_starts.back() = offset + 1;
            else
                noteLineStart(offset + 1);
        } else if (c == '\r') {
            noteLineStart(from + i + 1);
        }
    }
}

void ReceiveStore::noteLineStart(qint64 start)
{
    if (start - m_starts.back() >= kStride)
        m_starts.push_back(start);
}

void ReceiveStore::markBurst(qint64 msecsSinceEpoch)
{
    if (!m_bursts.empty() && m_bursts.back().offset == end())
        m_bursts.back().msecsSinceEpoch = msecsSinceEpoch;
    else
        m_bursts.push_back({end(), msecsSinceEpoch});
}

void ReceiveStore::clear()
{
    m_bytes.clear();
    m_base = 0;
    m_starts.assign(1, 0);
    m_bursts.clear();
}

QByteArrayView ReceiveStore::slice(qint64 from, qint64 to) const
{
    from = std::clamp(from, begin(), end());
    to = std::clamp(to, from, end());
    return QByteArrayView(m_bytes).sliced(qsizetype(from - m_base), qsizetype(to - from));
}

bool ReceiveStore::startsLine(qint64 offset) const
{
    if (offset <= begin())
        return true;
    const unsigned char before = at(offset - 1);
    if (before == '\n')
        return true;
    return before == '\r' && (offset == end() || at(offset) != '\n');
}

qint64 ReceiveStore::lastIndexedStart(qint64 offset) const
{
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
    return after == m_starts.begin() ? begin() : *std::prev(after);
}

qint64 ReceiveStore::lineStart(qint64 offset) const
{
    offset = std::clamp(offset, begin(), end());
    const qint64 indexed = lastIndexedStart(offset);
    for (qint64 at = std::min(offset, indexed + kStride - 1); at > indexed; --at) {
        if (startsLine(at))
            return at;
    }
    return indexed;
}

qint64 ReceiveStore::nextLineStart(qint64 offset) const
{
    offset = std::clamp(offset, begin(), end());
    const qint64 indexed = lastIndexedStart(offset);
    const qint64 scanTo = std::min(end(), indexed + kStride - 1);
    for (qint64 at = offset + 1; at <= scanTo; ++at) {
        if (startsLine(at))
            return at;
    }
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), offset);
    return after == m_starts.end() ? -1 : *after;
}

qint64 ReceiveStore::lineEnd(qint64 start) const
{
    const qint64 next = nextLineStart(start);
    if (next < 0)
        return end();
    const bool crlf = next - 2 >= start && at(next - 1) == '\n' && at(next - 2) == '\r';
    return next - (crlf ? 2 : 1);
}

std::deque<ReceiveStore::Burst>::const_iterator ReceiveStore::burstFrom(qint64 offset) const
{
    return std::lower_bound(m_bursts.begin(), m_bursts.end(), offset,
                            [](const Burst &burst, qint64 at) { return burst.offset < at; });
}

void ReceiveStore::dropOldest()
{
    // Keep fifteen sixteenths of the capacity, cut at a line start; a line
    // longer than that is cut where it must be.
    const qint64 cutAt = end() - (m_capacity - m_capacity / 16);
    qint64 cut = cutAt <= begin() ? -1 : nextLineStart(cutAt - 1);
    if (cut < 0 || cut >= end())
        cut = cutAt;
    const auto dropped = qsizetype(cut - m_base);
    const qsizetype kept = m_bytes.size() - dropped;
    char *data = m_bytes.data();
    std::memmove(data, data + dropped, size_t(kept));
    m_bytes.truncate(kept);
    m_base = cut;
    while (!m_starts.empty() && m_starts.front() <= cut)
        m_starts.pop_front();
    m_starts.push_front(cut);
    while (!m_bursts.empty() && m_bursts.front().offset < cut)
        m_bursts.pop_front();
}
