// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "receivelayout.h"
#include "receivestore.h"

#include <QString>

#include <chrono>
#include <optional>

class Clock;

// Marks where bursts begin in a ReceiveStore: bytes that arrive after a quiet
// time without any start a new burst, stamped with the time of day.
//
// Every time comes from one clock. The time of day is that clock's reading
// placed on the wall clock once, when the clock is set, so stamps never step
// back and a scripted clock gives them exactly.
class BurstMarker final
{
public:
    using Seconds = std::chrono::duration<double>;

    BurstMarker(ReceiveStore &store, Seconds quietTime);

    // `msecsSinceEpoch` is the time of day at the clock's present reading.
    void setClock(const Clock *clock, qint64 msecsSinceEpoch);

    // Bytes are about to be appended: marks a burst at the store's end when
    // none arrived within the quiet time, and notes now as the last arrival.
    void arriving();
    // Notes now as the last arrival, without marking.
    void noteArrival();
    // Forgets the last arrival: the next bytes start a burst.
    void reset() { m_last.reset(); }

    // "hh:mm:ss.zzz" of the burst that starts in the row, or nothing.
    QString stampText(const ReceiveLayout::Row &row) const;

private:
    ReceiveStore &m_store;
    Seconds m_quiet;
    const Clock *m_clock = nullptr;
    double m_origin = 0;
    qint64 m_originMsecs = 0;
    std::optional<double> m_last;
};
