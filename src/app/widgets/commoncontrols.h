// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The record the common-controls initialisation takes: its own size and the set
// of control classes to register.
struct InitCommonControlsExRecord
{
    std::uint32_t dwSize = 0;
    std::uint32_t dwICC = 0;
};

inline constexpr std::uint32_t ICC_USEREX_CLASSES = 0x200;

// The window toolkit registers its controls itself; this keeps the start-up
// call in place and accepts only a well-formed record.
bool InitCommonControlsEx(const InitCommonControlsExRecord &record);
