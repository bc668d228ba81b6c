// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <array>

// The receive buffer: 51 slots of one received chunk each, filled in turn by
// a write index that wraps after the last slot. Slots are never cleared, only
// overwritten.
class RxRing
{
public:
    static constexpr int kSlots = 51;

    // Puts the chunk into the slot at the write index, replacing what it held.
    void store(const QString &chunk) { m_slots[static_cast<size_t>(m_count)] = chunk; }
    // Moves the write index on, back to slot 0 after the last one.
    void advance() { m_count = m_count + 1 >= kSlots ? 0 : m_count + 1; }
    void resetCount() { m_count = 0; }

    // Stores each character in a slot of its own and moves on after each, as
    // a run of store() and advance() would. Only the last kSlots characters
    // can survive that run, so only they are written.
    void storeEach(QStringView characters)
    {
        const qsizetype total = characters.size();
        const qsizetype first = total > kSlots ? total - kSlots : 0;
        for (qsizetype i = first; i < total; ++i)
            m_slots[static_cast<size_t>((m_count + i) % kSlots)] = QString(characters[i]);
        m_count = static_cast<int>((m_count + total) % kSlots);
    }

    int count() const { return m_count; }
    const QString &slot(int index) const { return m_slots.at(static_cast<size_t>(index)); }

private:
    std::array<QString, kSlots> m_slots;
    int m_count = 0;
};
