// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

// Runs the window events that are waiting, then sleeps until the next event
// arrives or the given time has passed, whichever comes first.
class EventPump
{
public:
    virtual ~EventPump() = default;
    virtual void processEvents(std::chrono::milliseconds maxWait) = 0;
};
