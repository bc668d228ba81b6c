// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "types.h"

#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace modemsim {

// Bytes to send once delay has passed since the previous chunk was completely written (or, for
// the first chunk of an idle queue, since it was queued).
struct OutputChunk
{
    Millis delay{0};
    Bytes bytes;
};

// What the modem still has to send, in order, with the pauses between the pieces. Writing is left
// to the caller, which reports how much the device took.
class OutputQueue
{
public:
    void push(std::vector<OutputChunk> chunks, TimePoint now);

    bool empty() const { return chunks_.empty(); }

    // When the front chunk may be written.
    std::optional<TimePoint> due() const;
    bool ready(TimePoint now) const;

    // Unwritten bytes of the front chunk and how many of it went out already.
    std::span<const std::uint8_t> pending() const;
    std::size_t offset() const { return written_; }

    void consume(std::size_t count, TimePoint now);
    void clear();

private:
    void startFront(TimePoint now);

    std::deque<OutputChunk> chunks_;
    std::size_t written_ = 0;
    TimePoint frontDue_{};
};

} // namespace modemsim
