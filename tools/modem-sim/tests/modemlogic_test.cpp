// SPDX-License-Identifier: GPL-3.0-or-later
#include "modemlogic.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace modemsim {
namespace {

using Kind = Reaction::Kind;

const Config kCustom{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

Burst burst(std::string_view text, bool garbled = false)
{
    return {Bytes(text.begin(), text.end()), garbled};
}

Burst burst(const Config &config)
{
    return {Bytes(config.begin(), config.end()), false};
}

Bytes joined(const std::vector<OutputChunk> &chunks)
{
    Bytes all;
    for (const auto &chunk : chunks) {
        all.insert(all.end(), chunk.bytes.begin(), chunk.bytes.end());
    }
    return all;
}

Bytes configBytes(const Config &config)
{
    return Bytes(config.begin(), config.end());
}

TEST(ModemLogic, PlusPlusPlusEntersCommandModeAndAnswersTheConfiguration)
{
    ModemLogic logic(kDefaultConfig, {});
    const Reaction reaction = logic.onBurst(burst("+++"));
    EXPECT_EQ(reaction.kind, Kind::EnterCommand);
    EXPECT_EQ(logic.mode(), Mode::Command);
    ASSERT_EQ(reaction.output.size(), 1U);
    EXPECT_EQ(reaction.output[0].delay, Millis(5));
    EXPECT_EQ(reaction.output[0].bytes,
              (Bytes{0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x6B, 0x00, 0x1E, 0x1E}));
}

TEST(ModemLogic, OnlyAnExactPlusPlusPlusBurstIsAnEscape)
{
    ModemLogic logic(kDefaultConfig, {});
    for (const auto *text : {"++", "++++", "+++\r", "+++x", "a+++"}) {
        const Reaction reaction = logic.onBurst(burst(text));
        EXPECT_EQ(reaction.kind, Kind::RadioData) << text;
        EXPECT_EQ(reaction.data, burst(text).bytes) << text;
        EXPECT_EQ(logic.mode(), Mode::Data) << text;
    }
}

TEST(ModemLogic, PacketReplacesTheConfigurationSilently)
{
    ModemLogic logic(kDefaultConfig, {});
    logic.onBurst(burst("+++"));
    const Reaction reaction = logic.onBurst(burst(kCustom));
    EXPECT_EQ(reaction.kind, Kind::Configure);
    EXPECT_TRUE(reaction.output.empty());
    EXPECT_EQ(logic.config(), kCustom);
    EXPECT_EQ(logic.mode(), Mode::Command);

    const Reaction again = logic.onBurst(burst("+++"));
    EXPECT_EQ(again.kind, Kind::Answer);
    EXPECT_EQ(joined(again.output), configBytes(kCustom));
}

TEST(ModemLogic, TwelveBytesInDataModeAreRadioData)
{
    ModemLogic logic(kDefaultConfig, {});
    const Reaction reaction = logic.onBurst(burst(kCustom));
    EXPECT_EQ(reaction.kind, Kind::RadioData);
    EXPECT_EQ(logic.config(), kDefaultConfig);
}

TEST(ModemLogic, MinusMinusMinusLeavesCommandMode)
{
    ModemLogic logic(kDefaultConfig, {});
    logic.onBurst(burst("+++"));
    EXPECT_EQ(logic.onBurst(burst("---")).kind, Kind::LeaveCommand);
    EXPECT_EQ(logic.mode(), Mode::Data);
    // Back in data mode both the exit sequence and a packet are plain data.
    EXPECT_EQ(logic.onBurst(burst("---")).kind, Kind::RadioData);
    EXPECT_EQ(logic.onBurst(burst(kCustom)).kind, Kind::RadioData);
    EXPECT_EQ(logic.config(), kDefaultConfig);
}

TEST(ModemLogic, OtherCommandModeBurstsAreIgnored)
{
    ModemLogic logic(kDefaultConfig, {});
    logic.onBurst(burst("+++"));
    for (const auto *text : {"--", "----", "AT\r", "12345678901", "1234567890123"}) {
        const Reaction reaction = logic.onBurst(burst(text));
        EXPECT_EQ(reaction.kind, Kind::Ignored) << text;
        EXPECT_TRUE(reaction.output.empty());
    }
    EXPECT_EQ(logic.mode(), Mode::Command);
    EXPECT_EQ(logic.config(), kDefaultConfig);
}

TEST(ModemLogic, GarbledBurstsAreNotParsed)
{
    ModemLogic logic(kDefaultConfig, {});
    EXPECT_EQ(logic.onBurst(burst("+++", true)).kind, Kind::Garbled);
    EXPECT_EQ(logic.mode(), Mode::Data);
    logic.onBurst(burst("+++"));
    Burst packet = burst(kCustom);
    packet.garbled = true;
    EXPECT_EQ(logic.onBurst(packet).kind, Kind::Garbled);
    EXPECT_EQ(logic.config(), kDefaultConfig);
    EXPECT_EQ(logic.onBurst(burst("---", true)).kind, Kind::Garbled);
    EXPECT_EQ(logic.mode(), Mode::Command);
}

TEST(ModemLogicFaults, LimitsClampOrRefuseOnlyValuesOutsideTheirRange)
{
    Faults faults;
    faults.limits = {{9, 0, 3, false}, {8, 10, 20, true}};
    ModemLogic logic(kDefaultConfig, faults);
    logic.onBurst(burst("+++"));

    Config packet = kCustom;
    packet[8] = 30; // channel outside 10..20: refused, the old 0x6B stays
    packet[9] = 5;  // power above 3: clamped to 3
    EXPECT_EQ(logic.onBurst(burst(packet)).kind, Kind::Configure);
    Config expected = kCustom;
    expected[8] = kDefaultConfig[8];
    expected[9] = 3;
    EXPECT_EQ(logic.config(), expected);

    packet[8] = 15; // inside both ranges: taken as sent
    packet[9] = 2;
    logic.onBurst(burst(packet));
    EXPECT_EQ(logic.config(), packet);
}

TEST(ModemLogic, ResetReturnsToDataModeKeepingTheConfiguration)
{
    ModemLogic logic(kDefaultConfig, {});
    logic.onBurst(burst("+++"));
    logic.onBurst(burst(kCustom));
    logic.reset();
    EXPECT_EQ(logic.mode(), Mode::Data);
    EXPECT_EQ(logic.config(), kCustom);
}

TEST(ModemLogicFaults, NoAnswerStillEntersCommandMode)
{
    Faults faults;
    faults.answer = false;
    ModemLogic logic(kDefaultConfig, faults);
    const Reaction reaction = logic.onBurst(burst("+++"));
    EXPECT_EQ(reaction.kind, Kind::EnterCommand);
    EXPECT_TRUE(reaction.output.empty());
    EXPECT_EQ(logic.onBurst(burst(kCustom)).kind, Kind::Configure);
}

TEST(ModemLogicFaults, ShortAnswerIsAPrefix)
{
    Faults faults;
    faults.answerLength = 5;
    faults.answerDelay = Millis(40);
    const auto chunks = ModemLogic(kCustom, faults).answer();
    ASSERT_EQ(chunks.size(), 1U);
    EXPECT_EQ(chunks[0].delay, Millis(40));
    EXPECT_EQ(chunks[0].bytes, (Bytes{1, 2, 3, 4, 5}));
}

TEST(ModemLogicFaults, LongAnswerAddsFiller)
{
    Faults faults;
    faults.answerLength = 15;
    Bytes expected = configBytes(kCustom);
    expected.insert(expected.end(), {0xA5, 0xA6, 0xA7});
    EXPECT_EQ(joined(ModemLogic(kCustom, faults).answer()), expected);
}

TEST(ModemLogicFaults, ZeroLengthAnswerSendsNothing)
{
    Faults faults;
    faults.answerLength = 0;
    EXPECT_TRUE(ModemLogic(kCustom, faults).answer().empty());
}

TEST(ModemLogicFaults, SplitCutsTheAnswerWithGaps)
{
    Faults faults;
    faults.splits = {{4, Millis(50)}, {9, Millis(20)}, {12, Millis(99)}, {40, Millis(7)}};
    const auto chunks = ModemLogic(kCustom, faults).answer();
    ASSERT_EQ(chunks.size(), 3U);
    EXPECT_EQ(chunks[0].delay, Millis(5));
    EXPECT_EQ(chunks[0].bytes, (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(chunks[1].delay, Millis(50));
    EXPECT_EQ(chunks[1].bytes, (Bytes{5, 6, 7, 8, 9}));
    EXPECT_EQ(chunks[2].delay, Millis(20));
    EXPECT_EQ(chunks[2].bytes, (Bytes{10, 11, 12}));
}

TEST(ModemLogicFaults, FloodReplacesTheAnswer)
{
    Faults faults;
    faults.flood = 1 << 20;
    const Bytes flood = joined(ModemLogic(kDefaultConfig, faults).answer());
    EXPECT_EQ(flood.size(), 1U << 20);
    EXPECT_EQ(flood, ModemLogic::floodData(1 << 20));
    EXPECT_NE(Bytes(flood.begin(), flood.begin() + 12), configBytes(kDefaultConfig));
    // Not a constant fill: all byte values show up.
    std::array<bool, 256> seen{};
    for (const auto byte : flood) {
        seen[byte] = true;
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; }));
}

TEST(ModemLogicFaults, HangupAfterRxTriggersOnceAtTheThreshold)
{
    Faults faults;
    faults.hangupAfterRx = 10;
    ModemLogic logic(kDefaultConfig, faults);
    EXPECT_FALSE(logic.onReceived(3));
    EXPECT_FALSE(logic.onReceived(6));
    EXPECT_TRUE(logic.onReceived(4));
    EXPECT_FALSE(logic.onReceived(100));
    ModemLogic unlimited(kDefaultConfig, {});
    EXPECT_FALSE(unlimited.onReceived(1U << 30));
}

TEST(ModemLogic, GarbleChangesEveryByteDeterministically)
{
    Bytes all(256 * 8);
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<std::uint8_t>(i / 8);
    }
    const Bytes garbled = ModemLogic::garble(all, 0);
    ASSERT_EQ(garbled.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_NE(garbled[i], all[i]) << i;
    }
    EXPECT_EQ(garbled, ModemLogic::garble(all, 0));
    // A transmission written in two parts garbles the same as in one.
    const std::span<const std::uint8_t> whole(all);
    Bytes parts = ModemLogic::garble(whole.first(13), 0);
    const Bytes rest = ModemLogic::garble(whole.subspan(13), 13);
    parts.insert(parts.end(), rest.begin(), rest.end());
    EXPECT_EQ(parts, garbled);
}

} // namespace
} // namespace modemsim
