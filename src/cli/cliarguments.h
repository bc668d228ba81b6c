// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clirequest.h"

#include <QString>
#include <QStringList>

// Reads the command line into a request. Every value is checked here, before
// anything touches a port: a bad one is a usage error that names the option
// and the form it takes.
class CliArguments
{
public:
    struct Result
    {
        CliRequest request;
        // Empty when the arguments are good.
        QString error;
    };

    // The arguments after the program's name.
    static Result parse(const QStringList &arguments);

    static QString commandName(CliRequest::Command command);

    // Arguments that parse() took, less every --device and --devices: the
    // command line each device's own run gets, with its one --device added.
    static QStringList withoutDevices(const QStringList &arguments);
};
