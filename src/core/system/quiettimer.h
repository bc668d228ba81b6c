// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "timer.h"

#include <QTimer>

#include <chrono>

// The quiet-time timer of the receive side. A restart costs one clock reading,
// so the receive handler can restart it for every byte of a fast line; the
// underlying timer is re-armed only when it fires early.
class QuietTimer final : public Timer
{
public:
    QuietTimer();

    void start(std::chrono::milliseconds interval) override;
    void stop() override;
    bool isActive() const override { return m_active; }

private:
    using Clock = std::chrono::steady_clock;

    void arm();
    void expired();

    QTimer m_timer;
    Clock::time_point m_deadline;
    bool m_active = false;
};
