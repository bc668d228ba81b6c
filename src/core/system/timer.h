// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <utility>

// A one-shot timer whose count can be restarted at any time. The modem session
// measures its quiet time with one; tests drive a scripted one.
class Timer
{
public:
    virtual ~Timer() = default;

    // Counts the interval afresh from now; the handler runs once it has passed
    // without another start or a stop.
    virtual void start(std::chrono::milliseconds interval) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    void setTimeoutHandler(std::function<void()> handler) { m_handler = std::move(handler); }

protected:
    void timedOut() const
    {
        if (m_handler)
            m_handler();
    }

private:
    std::function<void()> m_handler;
};
