#pragma once

#include <chrono>

// User and system processor time of this process so far.
std::chrono::duration<double> cpuTime();
