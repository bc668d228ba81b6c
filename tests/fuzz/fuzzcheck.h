// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/failure.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Helpers shared by the fuzz targets: a property check that stops the run
// with a message, and the outcome of a reading that may fail.
namespace fuzzcheck {

// Stops the run when a property does not hold; libFuzzer keeps the input.
inline void require(bool holds, const char *property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}

inline QString latin1(const std::uint8_t *data, std::size_t size)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// A value or the number of the Failure thrown instead. Any other exception
// leaves the target and libFuzzer reports it.
struct Outcome
{
    int failure = 0;
    double value = 0.0;

    bool failed() const { return failure != 0; }
    bool operator==(const Outcome &other) const = default;
};

template<typename Read>
Outcome outcomeOf(Read read)
{
    try {
        return Outcome{0, static_cast<double>(read())};
    } catch (const Failure &failure) {
        require(failure.number() != 0, "a Failure carries a number");
        return Outcome{failure.number(), 0.0};
    }
}

} // namespace fuzzcheck
