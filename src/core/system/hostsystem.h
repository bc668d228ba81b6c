// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the program runs on, where that changes what it must do.
namespace HostSystem {
// Whether this user may create files in the folder, as the system's
// permissions say (on Windows its access lists, not only the read-only mark).
bool canWriteIn(const QString &folder);
// Whether the Windows program runs under Wine rather than Windows.
bool isWine();
} // namespace HostSystem
