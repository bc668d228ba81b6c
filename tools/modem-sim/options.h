// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modemlogic.h"
#include "types.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace modemsim {

// A bad command line or option value; main turns it into exit code 2.
class OptionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Exactly 24 hex digits, whitespace allowed between bytes.
std::optional<Config> parseConfig(std::string_view text);

// The command line.
struct Options
{
    static constexpr unsigned kDefaultBaud = 38400;

    static Options parse(std::span<const std::string_view> args);
    static std::string usage();

    bool help = false;
    unsigned baud = kDefaultBaud;
    Config config = kDefaultConfig;
    std::optional<std::string> link;
    std::optional<std::string> logFile;
    Faults faults;
};

} // namespace modemsim
