// SPDX-License-Identifier: GPL-3.0-or-later
#include "burstframer.h"

#include <gtest/gtest.h>

namespace modemsim {
namespace {

const TimePoint t0{};
constexpr Millis kGap{30};

Bytes bytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

TEST(BurstFramer, ChunksWithinTheGapFormOneBurst)
{
    BurstFramer framer(kGap);
    framer.add(bytes("++"), t0, false);
    framer.add(bytes("+"), t0 + Millis(29), false);
    EXPECT_FALSE(framer.take(t0 + Millis(58)));
    const auto burst = framer.take(t0 + Millis(59));
    ASSERT_TRUE(burst);
    EXPECT_EQ(burst->bytes, bytes("+++"));
    EXPECT_FALSE(burst->garbled);
    EXPECT_FALSE(framer.take(t0 + Millis(500)));
}

TEST(BurstFramer, IdleGapSplitsBursts)
{
    BurstFramer framer(kGap);
    framer.add(bytes("+++"), t0, false);
    EXPECT_EQ(framer.deadline(), t0 + kGap);
    // Read before the caller collected the first burst: the gap still separates them.
    framer.add(bytes("---"), t0 + Millis(100), false);
    const auto first = framer.take(t0 + Millis(100));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->bytes, bytes("+++"));
    EXPECT_FALSE(framer.take(t0 + Millis(129)));
    const auto second = framer.take(t0 + Millis(130));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->bytes, bytes("---"));
}

TEST(BurstFramer, NoDeadlineWhenIdle)
{
    BurstFramer framer(kGap);
    EXPECT_FALSE(framer.deadline());
    framer.add(bytes("x"), t0, false);
    framer.clear();
    EXPECT_FALSE(framer.deadline());
    EXPECT_FALSE(framer.take(t0 + Millis(1000)));
}

TEST(BurstFramer, AnyGarbledChunkGarblesTheBurst)
{
    BurstFramer framer(kGap);
    framer.add(bytes("+"), t0, false);
    framer.add(bytes("+"), t0 + Millis(1), true);
    framer.add(bytes("+"), t0 + Millis(2), false);
    const auto burst = framer.take(t0 + Millis(40));
    ASSERT_TRUE(burst);
    EXPECT_TRUE(burst->garbled);
    EXPECT_EQ(burst->bytes.size(), 3U);
}

} // namespace
} // namespace modemsim
