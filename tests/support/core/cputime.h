// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

// User and system processor time of this process so far.
std::chrono::duration<double> cpuTime();
// Processor time this process uses while it handles its events for the
// interval, as an idle program would.
std::chrono::duration<double> cpuTimeWhileWaiting(std::chrono::milliseconds interval);
