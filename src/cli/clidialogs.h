// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/dialogs.h"

#include <QStringList>

// The session's message boxes on the command line: each becomes one line,
// kept until the command decides where it goes. Nothing can be typed in.
class CliDialogs final : public Dialogs
{
public:
    void messageBox(const QString &prompt, const QString &title) override;
    QString inputBox(const QString &, const QString &) override { return {}; }

    // The lines shown since the last call.
    QStringList take();

private:
    QStringList m_lines;
};
