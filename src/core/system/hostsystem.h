// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the program runs on, where that changes what it must do.
namespace HostSystem {
// Whether the Windows program runs under Wine rather than Windows.
bool isWine();
} // namespace HostSystem
