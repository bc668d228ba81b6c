#pragma once

#include "modemlogic.h"
#include "types.h"

#include <array>
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

struct ModemOptions
{
    std::optional<Config> config; // only when given explicitly
    std::optional<std::string> configFile;
    std::optional<std::string> link;
    std::optional<unsigned> baud;
};

// The command line. Faults apply to modem 1; modem 2 is the well-behaved peer.
struct Options
{
    static constexpr unsigned kDefaultBaud = 38400;

    static Options parse(std::span<const std::string_view> args);
    static std::string usage();

    unsigned baudOf(std::size_t modem) const { return modems[modem].baud.value_or(baud); }

    bool help = false;
    std::size_t modemCount = 1;
    std::array<ModemOptions, 2> modems;
    unsigned baud = kDefaultBaud;
    Millis burstGap{30};
    std::optional<std::string> logFile;
    Faults faults;
    std::optional<Millis> hangupAt;
    std::optional<Millis> replugAfter;
};

} // namespace modemsim
