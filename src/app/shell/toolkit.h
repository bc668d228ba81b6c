// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Gives the window toolkit the program's look: one style everywhere and the
// small sans-serif dialog font the window's layout was made for.
namespace Toolkit {
void prepare();
} // namespace Toolkit
