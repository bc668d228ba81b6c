#include "timedwait.h"

#include "platform/clock.h"
#include "platform/eventpump.h"

#include <chrono>

TimedWait::TimedWait(const Clock &clock, EventPump &pump)
    : m_clock(clock)
    , m_pump(pump)
{}

void TimedWait::DelaySeconds(double interval)
{
    const double end = m_clock.seconds() + interval;
    for (double now = m_clock.seconds(); !(now > end); now = m_clock.seconds()) {
        const std::chrono::duration<double> remaining(end - now);
        m_pump.processEvents(std::chrono::ceil<std::chrono::milliseconds>(remaining));
    }
}
