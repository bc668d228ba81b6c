// SPDX-License-Identifier: GPL-3.0-or-later
#include "outputqueue.h"

#include <gtest/gtest.h>

namespace modemsim {
namespace {

const TimePoint t0{};

TEST(OutputQueue, FirstChunkWaitsItsDelayFromQueuing)
{
    OutputQueue queue;
    EXPECT_FALSE(queue.due());
    queue.push({{Millis(5), {1, 2, 3}}}, t0);
    EXPECT_EQ(queue.due(), t0 + Millis(5));
    EXPECT_FALSE(queue.ready(t0 + Millis(4)));
    EXPECT_TRUE(queue.ready(t0 + Millis(5)));
}

TEST(OutputQueue, GapCountsFromTheEndOfThePreviousChunk)
{
    OutputQueue queue;
    queue.push({{Millis(0), {1, 2, 3, 4}}, {Millis(50), {5, 6}}}, t0);
    queue.consume(3, t0 + Millis(1));
    EXPECT_EQ(queue.offset(), 3U);
    ASSERT_EQ(queue.pending().size(), 1U);
    EXPECT_EQ(queue.pending()[0], 4);
    EXPECT_TRUE(queue.ready(t0 + Millis(1)));
    // A slow reader finishes the first chunk late; the pause still follows it in full.
    queue.consume(1, t0 + Millis(20));
    EXPECT_EQ(queue.offset(), 0U);
    EXPECT_EQ(queue.due(), t0 + Millis(70));
    EXPECT_EQ(queue.pending().size(), 2U);
    queue.consume(2, t0 + Millis(70));
    EXPECT_TRUE(queue.empty());
}

TEST(OutputQueue, LaterPushWaitsBehindEarlierOutput)
{
    OutputQueue queue;
    queue.push({{Millis(10), {1}}}, t0);
    queue.push({{Millis(0), {2}}}, t0 + Millis(1));
    EXPECT_EQ(queue.due(), t0 + Millis(10));
    EXPECT_EQ(queue.pending()[0], 1);
    queue.consume(1, t0 + Millis(10));
    EXPECT_EQ(queue.pending()[0], 2);
    EXPECT_TRUE(queue.ready(t0 + Millis(10)));
}

TEST(OutputQueue, EmptyChunksAreDroppedAndClearEmpties)
{
    OutputQueue queue;
    queue.push({{Millis(0), {}}}, t0);
    EXPECT_TRUE(queue.empty());
    queue.push({{Millis(0), {1, 2}}}, t0);
    queue.clear();
    EXPECT_TRUE(queue.empty());
    EXPECT_TRUE(queue.pending().empty());
}

} // namespace
} // namespace modemsim
