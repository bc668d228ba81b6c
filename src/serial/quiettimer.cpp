#include "quiettimer.h"

QuietTimer::QuietTimer(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &QuietTimer::expired);
}

void QuietTimer::setInterval(std::chrono::milliseconds interval)
{
    m_interval = interval;
    if (m_enabled)
        restartCount();
}

void QuietTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        restartCount();
    // A disabled timer may leave its wake-up armed: it fires once, finds the
    // timer disabled and does nothing.
}

void QuietTimer::restartCount()
{
    ++m_restarts;
    m_deadline = Clock::now() + m_interval;
    if (!m_timer.isActive())
        arm();
}

void QuietTimer::arm()
{
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - Clock::now());
    m_timer.start(std::max(remaining, std::chrono::milliseconds::zero()));
}

void QuietTimer::expired()
{
    if (!m_enabled)
        return;
    if (Clock::now() < m_deadline) {
        arm();
        return;
    }
    const std::uint64_t restartsBefore = m_restarts;
    Q_EMIT timeout();
    if (!m_enabled || m_timer.isActive())
        return;
    // Still running and not restarted by the handler: count the next period
    // from now, so a handler that took long does not cause a burst of ticks.
    if (m_restarts == restartsBefore)
        m_deadline = Clock::now() + m_interval;
    arm();
}
