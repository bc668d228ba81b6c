// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clichild.h"

#include <QList>
#include <QString>
#include <QTextStream>

// The results of a run over several devices, printed one a device in the
// order the devices were given, whatever order they ended in.
class CliResults
{
public:
    // With json, one object a line: the device's own with "device" added,
    // or for a device that failed {"device", "error", "exitCode"}. Otherwise
    // each device's result after a line "==> DEVICE <==", and for a device
    // that failed a line "failed (exit N): ..." with its last message.
    static void print(QTextStream &out, const QList<CliChild::Result> &results, bool json);
    // The worst of the devices' exit codes.
    static int exitCode(const QList<CliChild::Result> &results);

    static QString jsonLine(const CliChild::Result &result);
    static QString textBlock(const CliChild::Result &result);
};
