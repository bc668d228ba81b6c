// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedloop.h"

#include <algorithm>

using namespace std::chrono_literals;

ScriptedLoop::ScriptedLoop()
    : m_timer(*this)
{}

double ScriptedLoop::seconds() const
{
    return std::chrono::duration<double>(m_now).count();
}

void ScriptedLoop::processEvents(Duration maxWait)
{
    ++m_passes;
    runDue();
    Duration until = m_now + std::max(maxWait, 1ms);
    if (!m_actions.empty())
        until = std::min(until, std::max(m_actions.begin()->first, m_now + 1ms));
    m_now = until;
    runDue();
}

void ScriptedLoop::at(Duration delay, std::function<void()> action)
{
    m_actions.emplace(m_now + delay, std::move(action));
}

void ScriptedLoop::advance(Duration by)
{
    const Duration end = m_now + by;
    while (!m_actions.empty() && m_actions.begin()->first <= end) {
        m_now = std::max(m_now, m_actions.begin()->first);
        runDue();
    }
    m_now = end;
}

void ScriptedLoop::runUntilIdle()
{
    while (!m_actions.empty())
        advance(m_actions.begin()->first - m_now);
}

void ScriptedLoop::runDue()
{
    while (!m_actions.empty() && m_actions.begin()->first <= m_now) {
        auto action = std::move(m_actions.begin()->second);
        m_actions.erase(m_actions.begin());
        action();
    }
}

ScriptedLoop::ScriptedTimer::ScriptedTimer(ScriptedLoop &loop)
    : m_loop(loop)
{}

void ScriptedLoop::ScriptedTimer::start(Duration interval)
{
    m_active = true;
    const int generation = ++m_generation;
    m_loop.at(interval, [this, generation] {
        if (m_active && generation == m_generation) {
            m_active = false;
            timedOut();
        }
    });
}

void ScriptedLoop::ScriptedTimer::stop()
{
    m_active = false;
}
