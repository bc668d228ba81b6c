// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <deque>

// The bytes the receive box holds, unchanged, with what a view needs to lay
// them out without reading them all: where lines start and where bursts
// began. Offsets are absolute: they count every byte received since the last
// clear, dropped ones included, so they stay valid when old lines go.
//
// Lines break after LF, after CR LF and after a lone CR. Past the capacity the
// oldest whole lines are dropped, a sixteenth of the capacity at a time so the
// cost per byte stays flat.
class ReceiveStore final
{
public:
    static constexpr qsizetype kDefaultCapacity = qsizetype(64) * 1024 * 1024;
    static constexpr qsizetype kSmallestCapacity = 4096;
    static constexpr qsizetype kLargestCapacity = qsizetype(1024) * 1024 * 1024;

    struct Burst
    {
        qint64 offset = 0;
        qint64 msecsSinceEpoch = 0;
    };

    explicit ReceiveStore(qsizetype capacity = kDefaultCapacity);

    // The capacity setting in MiB; anything unreadable gives the default.
    static qsizetype capacityFromSetting(const QString &mebibytes);

    void setCapacity(qsizetype capacity);
    qsizetype capacity() const { return m_capacity; }

    void append(QByteArrayView bytes);
    // Marks the start of a burst at the current end.
    void markBurst(qint64 msecsSinceEpoch);
    void clear();

    const QByteArray &bytes() const { return m_bytes; }
    qint64 begin() const { return m_base; }
    qint64 end() const { return m_base + m_bytes.size(); }
    qint64 droppedBytes() const { return m_base; }
    unsigned char at(qint64 offset) const
    {
        return static_cast<unsigned char>(m_bytes[qsizetype(offset - m_base)]);
    }
    QByteArrayView slice(qint64 from, qint64 to) const;

    // Start of the line that holds the byte at the offset.
    qint64 lineStart(qint64 offset) const;
    // Start of the line after the one holding the offset; -1 on the last line.
    qint64 nextLineStart(qint64 offset) const;
    // End of the line's text, before its CR, LF or CR LF.
    qint64 lineEnd(qint64 start) const;

    const std::deque<Burst> &bursts() const { return m_bursts; }
    // The first burst that starts at or after the offset.
    std::deque<Burst>::const_iterator burstFrom(qint64 offset) const;

private:
    bool startsLine(qint64 offset) const;
    qint64 lastIndexedStart(qint64 offset) const;
    void reserveFor(qsizetype more);
    void indexLines(qint64 from, QByteArrayView part);
    void noteLineStart(qint64 start);
    void dropOldest();

    QByteArray m_bytes;
    qint64 m_base = 0;
    qsizetype m_capacity;
    // Some line starts, at least kStride apart; every line start lies less
    // than kStride after the indexed start before it. Finding a line costs a
    // search here and a scan of at most kStride bytes, and the index stays
    // small whatever the line lengths.
    std::deque<qint64> m_starts{0};
    std::deque<Burst> m_bursts;
};
