// SPDX-License-Identifier: GPL-3.0-or-later
#include "burstframer.h"

#include <utility>

namespace modemsim {

BurstFramer::BurstFramer(Millis gap)
    : gap_(gap)
{}

void BurstFramer::add(std::span<const std::uint8_t> chunk, TimePoint at, bool garbled)
{
    if (chunk.empty()) {
        return;
    }
    // The caller may read a new chunk before asking for the previous burst; the gap still
    // separates them.
    if (!current_.bytes.empty() && at - last_ >= gap_) {
        complete_.push_back(std::exchange(current_, {}));
    }
    current_.bytes.insert(current_.bytes.end(), chunk.begin(), chunk.end());
    current_.garbled = current_.garbled || garbled;
    last_ = at;
}

std::optional<TimePoint> BurstFramer::deadline() const
{
    if (!complete_.empty()) {
        return last_;
    }
    if (current_.bytes.empty()) {
        return std::nullopt;
    }
    return last_ + gap_;
}

std::optional<Burst> BurstFramer::take(TimePoint now)
{
    if (!complete_.empty()) {
        Burst burst = std::move(complete_.front());
        complete_.pop_front();
        return burst;
    }
    if (current_.bytes.empty() || now - last_ < gap_) {
        return std::nullopt;
    }
    return std::exchange(current_, {});
}

void BurstFramer::clear()
{
    complete_.clear();
    current_ = {};
}

} // namespace modemsim
