// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clock.h"

#include <chrono>

class SteadyClock final : public Clock
{
public:
    double seconds() const override;

private:
    std::chrono::steady_clock::time_point m_origin = std::chrono::steady_clock::now();
};
