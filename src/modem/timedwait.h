#pragma once

class Clock;
class EventPump;

// The timed wait placed between the steps of a modem exchange. It lets the
// window's events run (received bytes, the quiet-time timer, clicks) and
// sleeps in between instead of spinning.
class TimedWait
{
public:
    TimedWait(const Clock &clock, EventPump &pump);

    // Returns once the clock reads strictly more than the start plus the
    // interval, in seconds.
    void DelaySeconds(double interval);

private:
    const Clock &m_clock;
    EventPump &m_pump;
};
