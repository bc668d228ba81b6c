// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modem/modemconfig.h"

#include <QString>
#include <QStringList>

#include <algorithm>

// What one run of the command line is asked to do, its values already checked.
struct CliRequest
{
    enum class Command
    {
        Help,
        Version,
        Ports,
        Read,
        Write,
        Find,
    };

    static constexpr qint32 kDefaultBaud = 38400;

    Command command = Command::Help;
    // For Help: the command to explain, or empty for the tool.
    QString helpTopic;
    // The port: a device path, or a comm port number (0 when none is given).
    QString device;
    int comm = 0;
    // Several devices, each run by a miran-cli of its own: every --device,
    // in order, when more than one is given or a device list is, and the file
    // ("-": standard input) that lists more, one a line.
    QStringList devices;
    QString devicesFile;
    qint32 baud = kDefaultBaud;
    bool json = false;
    // For write: the values to replace, and the file ("-": standard input)
    // whose configuration replaces all of them first.
    ModemConfig::Edits edits;
    QString fromFile;

    bool hasPort() const
    {
        return !device.isEmpty() || comm != 0 || !devices.isEmpty() || !devicesFile.isEmpty();
    }
    // Whether the devices come as a list: more than one --device, or --devices.
    bool listsDevices() const { return !devices.isEmpty() || !devicesFile.isEmpty(); }
    bool hasEdits() const
    {
        return std::any_of(edits.cbegin(), edits.cend(),
                           [](const auto &edit) { return edit.has_value(); });
    }
};
