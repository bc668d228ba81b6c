// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/clock.h"
#include "system/eventpump.h"
#include "system/timer.h"

#include <chrono>
#include <functional>
#include <map>

// Time and events for the modem session without real waits: a clock that
// moves only when the session waits, actions scheduled at points of that
// time, and the quiet-time timer on the same time line. Every pass of the
// pump takes at least a millisecond, as a real one takes some time.
class ScriptedLoop final : public Clock, public EventPump
{
public:
    using Duration = std::chrono::milliseconds;

    ScriptedLoop();

    double seconds() const override;
    void processEvents(Duration maxWait) override;

    Duration now() const { return m_now; }
    // Runs the action once the time has moved on by the delay.
    void at(Duration delay, std::function<void()> action);
    // Moves the time on by the given amount, running what falls due.
    void advance(Duration by);
    // Moves on until nothing is scheduled any more.
    void runUntilIdle();
    // How many passes the pump made; a wait that spins makes thousands.
    int passes() const { return m_passes; }

    Timer &timer() { return m_timer; }

private:
    class ScriptedTimer final : public Timer
    {
    public:
        explicit ScriptedTimer(ScriptedLoop &loop);
        void start(Duration interval) override;
        void stop() override;
        bool isActive() const override { return m_active; }

    private:
        ScriptedLoop &m_loop;
        bool m_active = false;
        int m_generation = 0;
    };

    void runDue();

    Duration m_now{0};
    int m_passes = 0;
    std::multimap<Duration, std::function<void()>> m_actions;
    ScriptedTimer m_timer;
};
