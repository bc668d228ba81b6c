// SPDX-License-Identifier: GPL-3.0-or-later
#include "hex.h"

#include <cctype>

namespace modemsim::hex {

namespace {

std::optional<std::uint8_t> nibble(char c)
{
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<std::uint8_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<std::uint8_t>(c - 'A' + 10);
    }
    return std::nullopt;
}

bool isSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::string format(std::span<const std::uint8_t> bytes)
{
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[static_cast<std::size_t>(byte >> 4)]);
        text.push_back(kDigits[static_cast<std::size_t>(byte & 0x0F)]);
    }
    return text;
}

std::optional<Bytes> parse(std::string_view text)
{
    constexpr int kNoDigit = -1;
    Bytes bytes;
    int high = kNoDigit;
    for (const char c : text) {
        if (isSpace(c) && high == kNoDigit) {
            continue;
        }
        const auto value = nibble(c);
        if (!value) {
            return std::nullopt;
        }
        if (high == kNoDigit) {
            high = *value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>((high << 4) | *value));
            high = kNoDigit;
        }
    }
    if (high != kNoDigit) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace modemsim::hex
