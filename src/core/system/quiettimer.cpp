// SPDX-License-Identifier: GPL-3.0-or-later
#include "quiettimer.h"

#include <algorithm>

QuietTimer::QuietTimer()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { expired(); });
}

void QuietTimer::start(std::chrono::milliseconds interval)
{
    m_active = true;
    m_deadline = Clock::now() + interval;
    if (!m_timer.isActive())
        arm();
}

void QuietTimer::stop()
{
    // The wake-up may stay armed: it fires once, finds the timer stopped and
    // does nothing.
    m_active = false;
}

void QuietTimer::arm()
{
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now());
    m_timer.start(std::max(remaining, std::chrono::milliseconds::zero()));
}

void QuietTimer::expired()
{
    if (!m_active)
        return;
    if (Clock::now() < m_deadline) {
        arm();
        return;
    }
    m_active = false;
    timedOut();
}
