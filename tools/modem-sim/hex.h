// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "types.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace modemsim::hex {

// Upper-case digits without separators, the form used in the log and on stdout.
std::string format(std::span<const std::uint8_t> bytes);

// Accepts whitespace between bytes (not inside one); nullopt on any other character or an odd
// digit count.
std::optional<Bytes> parse(std::string_view text);

} // namespace modemsim::hex
