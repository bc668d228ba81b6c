// SPDX-License-Identifier: GPL-3.0-or-later
#include "steadyclock.h"

double SteadyClock::seconds() const
{
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_origin;
    return elapsed.count();
}
