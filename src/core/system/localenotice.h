// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Qt 6.5 and later switch a process whose locale is not UTF-8 (the "C" locale
// of cron, of a fresh system, of ssh without a locale) to UTF-8 when the
// application object is built, and say so on standard error every time;
// Qt 6.4 switches without a word. The switch is what the program needs too,
// and the notice would only garble what scripts read there.
namespace LocaleNotice {
// Drops that notice and hands every other message on as before; called
// before the application object is built.
void silence();
} // namespace LocaleNotice
