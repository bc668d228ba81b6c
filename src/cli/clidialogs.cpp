// SPDX-License-Identifier: GPL-3.0-or-later
#include "clidialogs.h"

#include <utility>

void CliDialogs::messageBox(const QString &prompt, const QString &title)
{
    // The title adds nothing on a terminal; the prompt says what happened.
    Q_UNUSED(title);
    m_lines.append(prompt);
}

QStringList CliDialogs::take()
{
    return std::exchange(m_lines, {});
}
