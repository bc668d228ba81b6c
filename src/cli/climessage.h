// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How miran-cli names itself at the start of each line it writes to
// standard error, and in its usage hints.
class CliMessage
{
public:
    static QString program() { return QStringLiteral("miran-cli"); }
    static QString prefix() { return program() + QStringLiteral(": "); }
};
