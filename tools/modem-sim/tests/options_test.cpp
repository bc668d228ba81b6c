// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include <gtest/gtest.h>

#include <vector>

namespace modemsim {
namespace {

Options parse(std::vector<std::string_view> args)
{
    return Options::parse(args);
}

TEST(Options, Defaults)
{
    const Options options = parse({});
    EXPECT_EQ(options.baud, 38400U);
    EXPECT_EQ(options.config, kDefaultConfig);
    EXPECT_FALSE(options.link);
    EXPECT_TRUE(options.faults.answer);
    EXPECT_EQ(options.faults.answerDelay, Millis(5));
    EXPECT_EQ(options.faults.answerLength, 12U);
    EXPECT_FALSE(options.faults.flood);
    EXPECT_FALSE(options.logFile);
}

TEST(Options, ParsesEveryOption)
{
    const Options options = parse({"--baud",
                                   "256000",
                                   "--config",
                                   "01 02 03 04 05 06 07 08 09 0a 0B 0c",
                                   "--link=/tmp/l1",
                                   "--log",
                                   "/tmp/log",
                                   "--no-answer",
                                   "--answer-delay",
                                   "0",
                                   "--answer-length",
                                   "20",
                                   "--split",
                                   "4:50,8:100",
                                   "--flood",
                                   "1048576",
                                   "--hangup-after-rx",
                                   "7",
                                   "--clamp",
                                   "power=0-3",
                                   "--refuse=4=16-32"});
    EXPECT_EQ(options.baud, 256000U);
    const Config expected{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(options.config, expected);
    EXPECT_EQ(options.link, "/tmp/l1");
    EXPECT_EQ(options.logFile, "/tmp/log");
    EXPECT_FALSE(options.faults.answer);
    EXPECT_EQ(options.faults.answerDelay, Millis(0));
    EXPECT_EQ(options.faults.answerLength, 20U);
    ASSERT_EQ(options.faults.splits.size(), 2U);
    EXPECT_EQ(options.faults.splits[1].offset, 8U);
    EXPECT_EQ(options.faults.splits[1].gap, Millis(100));
    EXPECT_EQ(options.faults.flood, 1048576U);
    EXPECT_EQ(options.faults.hangupAfterRx, 7U);
    ASSERT_EQ(options.faults.limits.size(), 2U);
    EXPECT_EQ(options.faults.limits[0].byte, 9U);
    EXPECT_EQ(options.faults.limits[0].high, 3U);
    EXPECT_FALSE(options.faults.limits[0].refuse);
    EXPECT_EQ(options.faults.limits[1].byte, 4U);
    EXPECT_EQ(options.faults.limits[1].low, 16U);
    EXPECT_TRUE(options.faults.limits[1].refuse);
}

TEST(Options, RejectsBadValues)
{
    const std::vector<std::vector<std::string_view>> bad{
        {"--bogus"},
        {"--baud"},
        {"--baud", "0"},
        {"--baud", "38400x"},
        {"--baud", "-1"},
        {"--baud", ""},
        {"--config", "7F7F7F7F7F7F7F7F6B001E1"},
        {"--config", "7F7F7F7F7F7F7F7F6B001E1E00"},
        {"--config", "7F7F7F7F7F7F7F7F6B001E1G"},
        {"--config", "7 F7F7F7F7F7F7F7F6B001E1E"},
        {"--burst-gap", "30"},
        {"--link", ""},
        {"--no-answer=1"},
        {"--answer-delay", "soon"},
        {"--split", "4"},
        {"--split", "4:"},
        {"--split", "0:10"},
        {"--split", "8:10,4:10"},
        {"--split", "4:10,4:10"},
        {"--split", "4:10,"},
        {"--flood", "0"},
        {"--hangup-after-rx", "0"},
        {"--log", ""},
        {"--clamp", "power"},
        {"--clamp", "power=3"},
        {"--clamp", "volume=0-3"},
        {"--clamp", "12=0-3"},
        {"--clamp", "power=3-1"},
        {"--refuse", "power=0-256"},
    };
    for (const auto &args : bad) {
        std::string joined;
        for (const auto arg : args) {
            joined += std::string(arg) + ' ';
        }
        EXPECT_THROW(parse(args), OptionError) << joined;
    }
}

TEST(Options, ParseConfigAcceptsSpacesAndNewline)
{
    EXPECT_EQ(parseConfig(" 7f7f 7f7f 7F7F7F7F 6B 00 1E 1E\n"), kDefaultConfig);
    EXPECT_FALSE(parseConfig(""));
    EXPECT_FALSE(parseConfig("7F7F7F7F7F7F7F7F6B001E"));
}

} // namespace
} // namespace modemsim
