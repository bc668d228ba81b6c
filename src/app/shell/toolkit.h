// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Gives the window toolkit the program's look: one style everywhere and the
// small sans-serif dialog font the window's layout was made for.
namespace Toolkit {
// Before the application object: the platform options the toolkit needs
// where it runs, unless the user chose a platform (-platform, QT_QPA_PLATFORM).
void prepareStart(int argc, char *argv[]);
void prepare();
} // namespace Toolkit
