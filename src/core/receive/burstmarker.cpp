// SPDX-License-Identifier: GPL-3.0-or-later
#include "burstmarker.h"

#include "system/clock.h"

#include <QDateTime>

#include <algorithm>

BurstMarker::BurstMarker(ReceiveStore &store, Seconds quietTime)
    : m_store(store)
    , m_quiet(quietTime)
{}

void BurstMarker::setClock(const Clock *clock, qint64 msecsSinceEpoch)
{
    m_clock = clock;
    m_origin = clock->seconds();
    m_originMsecs = msecsSinceEpoch;
}

void BurstMarker::arriving()
{
    const double now = m_clock->seconds();
    // Whole microseconds, so that a gap of exactly the quiet time counts as
    // one whatever the rounding of the two readings.
    const auto gap =
        std::chrono::round<std::chrono::microseconds>(Seconds(now - m_last.value_or(0)));
    if (!m_last || gap >= m_quiet) {
        const auto since = std::chrono::round<std::chrono::milliseconds>(Seconds(now - m_origin));
        m_store.markBurst(m_originMsecs + since.count());
    }
    m_last = now;
}

void BurstMarker::noteArrival()
{
    m_last = m_clock->seconds();
}

QString BurstMarker::stampText(const ReceiveLayout::Row &row) const
{
    const auto burst = m_store.burstFrom(row.start);
    if (burst == m_store.bursts().end() || burst->offset >= std::max(row.next, row.start + 1))
        return {};
    return QDateTime::fromMSecsSinceEpoch(burst->msecsSinceEpoch)
        .toString(QStringLiteral("hh:mm:ss.zzz"));
}
