// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/failure.h"

#include <functional>
#include <optional>

// The Failure an action throws, or nothing when it succeeds.
inline std::optional<Failure> failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Failure &failure) {
        return failure;
    }
    return std::nullopt;
}
