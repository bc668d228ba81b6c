// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The command line's help: the tool's, or one command's.
class CliHelp
{
public:
    // An empty topic: the tool's help.
    static QString text(const QString &topic);
    static QString version();
};
