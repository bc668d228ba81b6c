// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include "hex.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace modemsim {

namespace {

constexpr std::uint64_t kMaxMillis = 24ULL * 3600 * 1000;
constexpr std::uint64_t kMaxBytes = 1ULL << 32;
constexpr std::uint64_t kMaxBaud = 100'000'000;

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

std::uint64_t toNumber(std::string_view name, std::string_view text, std::uint64_t min,
                       std::uint64_t max)
{
    std::uint64_t value = 0;
    const auto *end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || ptr != end) {
        throw OptionError(std::string(name) + ": " + quoted(text) + " is not a number");
    }
    if (value < min || value > max) {
        throw OptionError(std::string(name) + ": " + quoted(text) + " is out of range (" +
                          std::to_string(min) + ".." + std::to_string(max) + ")");
    }
    return value;
}

// "power=0-3" or "9=0-3": a configuration byte by name or index, and its range.
Limit toLimit(std::string_view name, std::string_view text, bool refuse)
{
    static constexpr std::array<std::string_view, 4> kNames{"channel", "power", "txsize", "rxsize"};
    constexpr std::size_t kFirstNamed = 8;
    const auto equals = text.find('=');
    const auto dash = text.find('-', equals == std::string_view::npos ? 0 : equals);
    if (equals == std::string_view::npos || dash == std::string_view::npos) {
        throw OptionError(std::string(name) + ": " + quoted(text) + " is not FIELD=LOW-HIGH");
    }
    const auto field = text.substr(0, equals);
    Limit limit;
    limit.refuse = refuse;
    const auto *named = std::find(kNames.begin(), kNames.end(), field);
    limit.byte = named != kNames.end()
                     ? kFirstNamed + static_cast<std::size_t>(named - kNames.begin())
                     : static_cast<std::size_t>(toNumber(name, field, 0, kConfigSize - 1));
    limit.low = static_cast<std::uint8_t>(
        toNumber(name, text.substr(equals + 1, dash - equals - 1), 0, 0xFF));
    limit.high = static_cast<std::uint8_t>(toNumber(name, text.substr(dash + 1), limit.low, 0xFF));
    return limit;
}

Millis toMillis(std::string_view name, std::string_view text)
{
    return Millis(static_cast<Millis::rep>(toNumber(name, text, 0, kMaxMillis)));
}

std::size_t toByteCount(std::string_view name, std::string_view text, std::uint64_t min)
{
    return static_cast<std::size_t>(toNumber(name, text, min, kMaxBytes));
}

unsigned toBaud(std::string_view name, std::string_view text)
{
    return static_cast<unsigned>(toNumber(name, text, 1, kMaxBaud));
}

Config toConfig(std::string_view name, std::string_view text)
{
    const auto config = parseConfig(text);
    if (!config) {
        throw OptionError(std::string(name) + ": " + quoted(text) +
                          " is not 24 hex digits (12 bytes)");
    }
    return *config;
}

std::string toPath(std::string_view name, std::string_view text)
{
    if (text.empty()) {
        throw OptionError(std::string(name) + ": empty path");
    }
    return std::string(text);
}

SplitPoint toSplitPoint(std::string_view item)
{
    const auto colon = item.find(':');
    if (colon == std::string_view::npos) {
        throw OptionError("--split: " + quoted(item) + " is not K:GAP_MS");
    }
    return {toByteCount("--split", item.substr(0, colon), 1),
            toMillis("--split", item.substr(colon + 1))};
}

std::vector<SplitPoint> toSplits(std::string_view text)
{
    std::vector<SplitPoint> points;
    while (true) {
        const auto comma = text.find(',');
        points.push_back(toSplitPoint(text.substr(0, comma)));
        if (points.size() > 1 && points.back().offset <= points[points.size() - 2].offset) {
            throw OptionError("--split: byte counts must increase");
        }
        if (comma == std::string_view::npos) {
            return points;
        }
        text.remove_prefix(comma + 1);
    }
}

using Apply = void (*)(Options &, std::string_view);

struct OptionEntry
{
    std::string_view name;
    bool takesValue;
    Apply apply;
};

const std::array kOptionTable{
    OptionEntry{"--help", false, [](Options &o, std::string_view) { o.help = true; }},
    OptionEntry{"--baud", true,
                [](Options &o, std::string_view v) { o.baud = toBaud("--baud", v); }},
    OptionEntry{"--config", true,
                [](Options &o, std::string_view v) { o.config = toConfig("--config", v); }},
    OptionEntry{"--link", true,
                [](Options &o, std::string_view v) { o.link = toPath("--link", v); }},
    OptionEntry{"--log", true,
                [](Options &o, std::string_view v) { o.logFile = toPath("--log", v); }},
    OptionEntry{"--no-answer", false,
                [](Options &o, std::string_view) { o.faults.answer = false; }},
    OptionEntry{"--answer-delay", true,
                [](Options &o, std::string_view v) {
                    o.faults.answerDelay = toMillis("--answer-delay", v);
                }},
    OptionEntry{"--answer-length", true,
                [](Options &o, std::string_view v) {
                    o.faults.answerLength = toByteCount("--answer-length", v, 0);
                }},
    OptionEntry{"--clamp", true,
                [](Options &o, std::string_view v) {
                    o.faults.limits.push_back(toLimit("--clamp", v, false));
                }},
    OptionEntry{"--refuse", true,
                [](Options &o, std::string_view v) {
                    o.faults.limits.push_back(toLimit("--refuse", v, true));
                }},
    OptionEntry{"--split", true,
                [](Options &o, std::string_view v) { o.faults.splits = toSplits(v); }},
    OptionEntry{
        "--flood", true,
        [](Options &o, std::string_view v) { o.faults.flood = toByteCount("--flood", v, 1); }},
    OptionEntry{"--hangup-after-rx", true,
                [](Options &o, std::string_view v) {
                    o.faults.hangupAfterRx = toNumber("--hangup-after-rx", v, 1,
                                                      std::numeric_limits<std::uint64_t>::max());
                }},
};

const OptionEntry &findOption(std::string_view name)
{
    const auto *entry = std::find_if(kOptionTable.begin(), kOptionTable.end(),
                                     [name](const OptionEntry &e) { return e.name == name; });
    if (entry == kOptionTable.end()) {
        throw OptionError("unknown option " + quoted(name));
    }
    return *entry;
}

} // namespace

std::optional<Config> parseConfig(std::string_view text)
{
    const auto bytes = hex::parse(text);
    if (!bytes || bytes->size() != kConfigSize) {
        return std::nullopt;
    }
    Config config{};
    std::copy(bytes->begin(), bytes->end(), config.begin());
    return config;
}

Options Options::parse(std::span<const std::string_view> args)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const auto equals = arg.find('=');
        const OptionEntry &entry = findOption(arg.substr(0, equals));
        std::string_view value;
        if (equals != std::string_view::npos) {
            if (!entry.takesValue) {
                throw OptionError(std::string(entry.name) + " takes no value");
            }
            value = arg.substr(equals + 1);
        } else if (entry.takesValue) {
            if (i + 1 >= args.size()) {
                throw OptionError(std::string(entry.name) + " needs a value");
            }
            value = args[++i];
        }
        entry.apply(options, value);
    }
    return options;
}

std::string Options::usage()
{
    return R"(Usage: modem-sim [OPTIONS]
Simulated radio modem on a pseudo-terminal. Prints "DEVICE <path>" when the device appears.

  --baud N               modem line rate (default 38400)
  --config HEX           initial configuration, 24 hex digits (default 7F7F7F7F7F7F7F7F6B001E1E)
  --link PATH            keep PATH a symlink to the current device
  --log FILE             event log with timestamps
  --no-answer            never answer "+++"
  --answer-delay MS      pause before answering (default 5)
  --answer-length N      answer N bytes (fewer: a prefix; more: filler A5 A6 ...)
  --clamp FIELD=LO-HI    a packet's FIELD outside LO..HI is clamped into it (FIELD: 0-11,
                         channel, power, txsize or rxsize); may be repeated
  --refuse FIELD=LO-HI   the same, but the old value stays
  --split K:MS[,K:MS...] pause MS after the first K bytes of an answer
  --flood N              answer "+++" with N pseudo-random bytes
  --hangup-after-rx N    unplug once N bytes have been received
  --help                 this text

Commands on stdin: hangup, plug, flood <N>, config
)";
}

} // namespace modemsim
