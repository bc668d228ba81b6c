// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace modemsim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kConfigSize = 12;
using Config = std::array<std::uint8_t, kConfigSize>;

// Factory configuration of a new modem.
inline constexpr Config kDefaultConfig{0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F,
                                       0x7F, 0x7F, 0x6B, 0x00, 0x1E, 0x1E};

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Millis = std::chrono::milliseconds;

// Idle time that ends a received burst.
inline constexpr Millis kBurstGap{30};
// Seed of the flood generator (xorshift32, top byte of the state after each step).
inline constexpr std::uint32_t kFloodSeed = 0x2545F491;

} // namespace modemsim
