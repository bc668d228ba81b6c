#pragma once

#include <QString>

#include <array>

class RxRing;

// Turns the first twelve slots of the receive buffer into the texts of the
// twelve configuration fields: upper-case hexadecimal for the eight address
// bytes, decimal for the rest, "??" for a slot that holds nothing.
class ReplyDecoder
{
public:
    static std::array<QString, 12> decode(const RxRing &buffer);
};
