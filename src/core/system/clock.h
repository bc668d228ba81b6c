// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A monotonic clock in seconds with a fractional part.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual double seconds() const = 0;
};
