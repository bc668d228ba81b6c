// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "types.h"

#include <deque>
#include <optional>
#include <span>

namespace modemsim {

// Bytes that arrived without an idle gap between them. garbled is set when any part of it came
// in while the program's line rate differed from the modem's.
struct Burst
{
    Bytes bytes;
    bool garbled = false;
};

// Groups received chunks into bursts: a burst ends once the line has been idle for the gap.
// Times are passed in, so the framing does not depend on when the caller gets round to asking.
class BurstFramer
{
public:
    explicit BurstFramer(Millis gap);

    void add(std::span<const std::uint8_t> chunk, TimePoint at, bool garbled);

    // When the burst being collected will be complete, if one is.
    std::optional<TimePoint> deadline() const;

    // The oldest burst that is complete at now.
    std::optional<Burst> take(TimePoint now);

    void clear();

private:
    Millis gap_;
    std::deque<Burst> complete_;
    Burst current_;
    TimePoint last_{};
};

} // namespace modemsim
