// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "eventpump.h"

class QtEventPump final : public EventPump
{
public:
    void processEvents(std::chrono::milliseconds maxWait) override;
};
