// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputqueue.h"

#include <algorithm>

namespace modemsim {

void OutputQueue::push(std::vector<OutputChunk> chunks, TimePoint now)
{
    const bool wasEmpty = chunks_.empty();
    for (auto &chunk : chunks) {
        if (!chunk.bytes.empty()) {
            chunks_.push_back(std::move(chunk));
        }
    }
    if (wasEmpty && !chunks_.empty()) {
        startFront(now);
    }
}

std::optional<TimePoint> OutputQueue::due() const
{
    if (chunks_.empty()) {
        return std::nullopt;
    }
    return frontDue_;
}

bool OutputQueue::ready(TimePoint now) const
{
    return !chunks_.empty() && frontDue_ <= now;
}

std::span<const std::uint8_t> OutputQueue::pending() const
{
    if (chunks_.empty()) {
        return {};
    }
    return std::span<const std::uint8_t>(chunks_.front().bytes).subspan(written_);
}

void OutputQueue::consume(std::size_t count, TimePoint now)
{
    if (chunks_.empty()) {
        return;
    }
    written_ = std::min(written_ + count, chunks_.front().bytes.size());
    if (written_ < chunks_.front().bytes.size()) {
        return;
    }
    chunks_.pop_front();
    if (!chunks_.empty()) {
        startFront(now);
    }
}

void OutputQueue::clear()
{
    chunks_.clear();
    written_ = 0;
}

void OutputQueue::startFront(TimePoint now)
{
    written_ = 0;
    frontDue_ = now + chunks_.front().delay;
}

} // namespace modemsim
