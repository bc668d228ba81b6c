// SPDX-License-Identifier: GPL-3.0-or-later
#include "modemlogic.h"

#include <algorithm>
#include <bit>

namespace modemsim {

namespace {

constexpr std::uint8_t kEnterByte = 0x2B; // '+'
constexpr std::uint8_t kLeaveByte = 0x2D; // '-'
constexpr std::size_t kEscapeLength = 3;
constexpr std::uint8_t kFirstFiller = 0xA5;

bool isEscape(const Bytes &bytes, std::uint8_t byte)
{
    return bytes.size() == kEscapeLength &&
           std::all_of(bytes.begin(), bytes.end(), [byte](std::uint8_t b) { return b == byte; });
}

Bytes slice(const Bytes &bytes, std::size_t from, std::size_t to)
{
    const auto part = std::span<const std::uint8_t>(bytes).subspan(from, to - from);
    return Bytes(part.begin(), part.end());
}

} // namespace

ModemLogic::ModemLogic(const Config &config, Faults faults)
    : config_(config)
    , faults_(std::move(faults))
{}

Reaction ModemLogic::onBurst(const Burst &burst)
{
    if (burst.garbled) {
        return {Reaction::Kind::Garbled, {}, burst.bytes};
    }
    if (mode_ == Mode::Data) {
        return onDataBurst(burst.bytes);
    }
    return onCommandBurst(burst.bytes);
}

Reaction ModemLogic::onDataBurst(const Bytes &bytes)
{
    if (isEscape(bytes, kEnterByte)) {
        mode_ = Mode::Command;
        return {Reaction::Kind::EnterCommand, answer(), {}};
    }
    return {Reaction::Kind::RadioData, {}, bytes};
}

Reaction ModemLogic::onCommandBurst(const Bytes &bytes)
{
    if (isEscape(bytes, kEnterByte)) {
        return {Reaction::Kind::Answer, answer(), {}};
    }
    if (isEscape(bytes, kLeaveByte)) {
        mode_ = Mode::Data;
        return {Reaction::Kind::LeaveCommand, {}, {}};
    }
    if (bytes.size() == kConfigSize) {
        configure(bytes);
        return {Reaction::Kind::Configure, {}, {}};
    }
    return {Reaction::Kind::Ignored, {}, bytes};
}

void ModemLogic::configure(const Bytes &packet)
{
    const Config old = config_;
    std::copy(packet.begin(), packet.end(), config_.begin());
    for (const Limit &limit : faults_.limits) {
        auto &byte = config_.at(limit.byte);
        if (byte >= limit.low && byte <= limit.high) {
            continue;
        }
        byte = limit.refuse ? old.at(limit.byte) : std::clamp(byte, limit.low, limit.high);
    }
}

bool ModemLogic::onReceived(std::size_t count)
{
    const std::uint64_t before = received_;
    received_ += count;
    const auto threshold = faults_.hangupAfterRx;
    return threshold && before < *threshold && received_ >= *threshold;
}

std::vector<OutputChunk> ModemLogic::answer() const
{
    if (!faults_.answer) {
        return {};
    }
    return split(faults_.flood ? floodData(*faults_.flood) : answerBytes());
}

Bytes ModemLogic::answerBytes() const
{
    const std::size_t length = faults_.answerLength;
    const std::size_t fromConfig = std::min(length, kConfigSize);
    Bytes bytes(config_.begin(), config_.begin() + static_cast<std::ptrdiff_t>(fromConfig));
    for (std::size_t i = fromConfig; i < length; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(kFirstFiller + (i - kConfigSize)));
    }
    return bytes;
}

std::vector<OutputChunk> ModemLogic::split(const Bytes &bytes) const
{
    if (bytes.empty()) {
        return {};
    }
    std::vector<OutputChunk> chunks;
    std::size_t start = 0;
    Millis delay = faults_.answerDelay;
    for (const auto &point : faults_.splits) {
        if (point.offset <= start || point.offset >= bytes.size()) {
            continue;
        }
        chunks.push_back({delay, slice(bytes, start, point.offset)});
        start = point.offset;
        delay = point.gap;
    }
    chunks.push_back({delay, slice(bytes, start, bytes.size())});
    return chunks;
}

Bytes ModemLogic::garble(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    // The mask is never zero, so every garbled byte differs from the real one.
    constexpr std::uint8_t kMask = 0x5A;
    Bytes out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto mask = std::rotl(kMask, static_cast<int>((offset + i) % 8));
        out.push_back(static_cast<std::uint8_t>(bytes[i] ^ mask));
    }
    return out;
}

Bytes ModemLogic::floodData(std::size_t count)
{
    std::uint32_t state = kFloodSeed;
    Bytes out(count);
    for (auto &byte : out) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return out;
}

} // namespace modemsim
