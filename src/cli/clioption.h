// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clirequest.h"

#include <QList>
#include <QString>
#include <QStringList>

// One option of the command line, named here and nowhere else: how it is
// written, which commands take it, its lines in each command's help, and what
// its value sets in the request. all() is the table the parser and the help
// are built from.
struct CliOption
{
    using Command = CliRequest::Command;
    // Sets the request from the option's value; an error when the value is bad.
    // option is the option as written, for the message.
    using Apply = QString (*)(CliRequest &request, const QString &option, const QString &value);

    // The commands that take the option and the help's text for it there,
    // lines split where they break. Command::Help stands for the tool's help.
    struct Use
    {
        QList<Command> commands;
        QString help;
    };

    // The long name first: the help shows it; a one-letter name is written
    // with one dash.
    QStringList names{};
    // Empty for a switch.
    QString valueName{};
    QList<Use> uses{};
    // Null for help and version, which are read before any option.
    Apply apply = nullptr;
    // Given more than once, each time adds one more.
    bool repeats = false;
    // Names a device to run on: each device's own run gets the line without it.
    bool namesDevices = false;
    // The name of an option it cannot go with.
    QString excludes{};
    // "-" reads standard input, which only one option can.
    bool readsStandardInput = false;

    static const QList<CliOption> &all();
    // The option one of whose names is name, or null.
    static const CliOption *find(const QString &name);

    bool takesValue() const { return !valueName.isEmpty(); }
    bool takenBy(Command command) const;
    // Empty when command does not take it.
    QString help(Command command) const;
    // Whether argument is exactly one of its names, dashes and all.
    bool isWritten(const QString &argument) const;
    // "--device".
    QString flag() const;
    // "--device PATH".
    QString synopsis() const;
};
