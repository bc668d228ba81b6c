// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliarguments.h"

#include "clioption.h"

#include <QCommandLineParser>
#include <QHash>

#include <algorithm>
#include <optional>

using Command = CliRequest::Command;

namespace {
// The options given so far, each with its last value.
using Given = QHash<const CliOption *, QString>;

// One argument as the parser reads it.
struct Reading
{
    // Null when it is no option of the table: a word, "-", "--" or an
    // unknown option.
    const CliOption *option = nullptr;
    // The value after "=" or in the next argument. A switch has one, empty,
    // only when it was given "=" and a value.
    std::optional<QString> value;
    // The arguments it takes: two when the value is the next.
    qsizetype length = 1;
};

// Every option of the table, whichever command takes it, so that one of
// another command is told apart from an unknown one.
void addOptions(QCommandLineParser &parser)
{
    for (const CliOption &option : CliOption::all())
        parser.addOption(QCommandLineOption(option.names, QString(), option.valueName));
}

// The parser reads the argument at index at alone, so the options are taken
// in the order given and the first fault on the line is the one reported. It
// skips the first argument, the command, as the program's name.
Reading read(QCommandLineParser &parser, const QStringList &arguments, qsizetype at)
{
    Reading reading;
    const bool whole = parser.parse({arguments.first(), arguments.at(at)});
    const QStringList names = parser.optionNames();
    if (names.size() != 1 || !parser.unknownOptionNames().isEmpty())
        return reading;
    reading.option = CliOption::find(names.first());
    if (!reading.option->takesValue()) {
        if (!whole)
            reading.value = QString();
    } else if (whole) {
        reading.value = parser.value(names.first());
    } else if (at + 1 < arguments.size()) {
        reading.value = arguments.at(at + 1);
        reading.length = 2;
    }
    return reading;
}

// The argument as messages name it: an option without its "=value".
QString written(const QString &argument)
{
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    return argument.startsWith(QLatin1String("--")) && equals > 0 ? argument.left(equals)
                                                                  : argument;
}

// Checks one option read from argument and sets the request from it.
QString take(CliRequest &request, Given &given, const Reading &reading, const QString &argument)
{
    const QString option = written(argument);
    const CliOption *rule = reading.option;
    if (!rule || !rule->takenBy(request.command)) {
        return option.startsWith(QLatin1Char('-'))
                   ? QStringLiteral("%1 takes no option %2.")
                         .arg(CliArguments::commandName(request.command), option)
                   : QStringLiteral("unexpected argument \"%1\".").arg(option);
    }
    if (given.contains(rule) && !rule->repeats)
        return QStringLiteral("%1 is given twice.").arg(option);
    if (rule->takesValue() && !reading.value)
        return QStringLiteral("%1 needs a value.").arg(option);
    if (!rule->takesValue() && reading.value)
        return QStringLiteral("%1 takes no value.").arg(option);
    const QString value = reading.value.value_or(QString());
    given.insert(rule, value);
    return rule->apply(request, option, value);
}

// Options that cannot go together, once all are read.
QString conflicts(const Given &given)
{
    const QList<CliOption> &options = CliOption::all();
    for (const CliOption &option : options) {
        const CliOption *excluded = CliOption::find(option.excludes);
        if (excluded && given.contains(&option) && given.contains(excluded))
            return QStringLiteral("give either %1 or %2, not both.")
                .arg(option.flag(), excluded->flag());
    }
    QStringList standardInput;
    for (const CliOption &option : options) {
        if (option.readsStandardInput && given.value(&option) == QLatin1String("-"))
            standardInput.append(option.flag());
    }
    if (standardInput.size() > 1)
        return QStringLiteral("%1 and %2 cannot both read standard input: give one of them a "
                              "file.")
            .arg(standardInput.at(0), standardInput.at(1));
    return {};
}

std::optional<Command> commandOf(const QString &word)
{
    for (const Command command : {Command::Ports, Command::Read, Command::Write, Command::Find}) {
        if (CliArguments::commandName(command) == word)
            return command;
    }
    return std::nullopt;
}

bool isHelp(const QString &argument)
{
    return CliOption::find(QStringLiteral("help"))->isWritten(argument);
}
} // namespace

QString CliArguments::commandName(Command command)
{
    switch (command) {
    case Command::Ports:
        return QStringLiteral("ports");
    case Command::Read:
        return QStringLiteral("read");
    case Command::Write:
        return QStringLiteral("write");
    case Command::Find:
        return QStringLiteral("find");
    case Command::Help:
    case Command::Version:
        break;
    }
    return {};
}

CliArguments::Result CliArguments::parse(const QStringList &arguments)
{
    Result result;
    CliRequest &request = result.request;
    if (arguments.isEmpty()) {
        result.error = QStringLiteral("no command given.");
        return result;
    }
    const QString &first = arguments.first();
    if (isHelp(first) || first == QLatin1String("help")) {
        request.command = Command::Help;
        if (arguments.size() > 1 && commandOf(arguments.at(1)))
            request.helpTopic = arguments.at(1);
        return result;
    }
    if (CliOption::find(QStringLiteral("version"))->isWritten(first)) {
        request.command = Command::Version;
        return result;
    }
    const std::optional<Command> command = commandOf(first);
    if (!command) {
        result.error = first.startsWith(QLatin1Char('-'))
                           ? QStringLiteral("unknown option %1; a command comes first.").arg(first)
                           : QStringLiteral("unknown command \"%1\".").arg(first);
        return result;
    }
    // Help wins over anything else on the line, good or bad.
    if (std::any_of(arguments.cbegin() + 1, arguments.cend(), isHelp)) {
        request.command = Command::Help;
        request.helpTopic = first;
        return result;
    }
    request.command = *command;

    QCommandLineParser parser;
    addOptions(parser);
    Given given;
    for (qsizetype i = 1; i < arguments.size();) {
        const Reading reading = read(parser, arguments, i);
        result.error = take(request, given, reading, arguments.at(i));
        if (!result.error.isEmpty())
            return result;
        i += reading.length;
    }

    // One device alone runs as it always has; more, or a list, run in parallel.
    if (request.devices.size() == 1 && request.devicesFile.isEmpty())
        request.device = request.devices.takeFirst();
    result.error = conflicts(given);
    if (!result.error.isEmpty())
        return result;
    if ((*command == Command::Read || *command == Command::Write) && !request.hasPort()) {
        result.error = QStringLiteral("%1 needs the port: --device PATH or --comm N.").arg(first);
    } else if (*command == Command::Write && !request.hasEdits() && request.fromFile.isEmpty()) {
        result.error = QStringLiteral("write needs a value to write: --destination, --module, "
                                      "--channel, --power, --tx-size, --rx-size or --from FILE.");
    }
    return result;
}

QStringList CliArguments::withoutDevices(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return {};
    QCommandLineParser parser;
    addOptions(parser);
    QStringList kept{arguments.first()};
    for (qsizetype i = 1; i < arguments.size();) {
        const Reading reading = read(parser, arguments, i);
        if (!reading.option || !reading.option->namesDevices)
            kept.append(arguments.mid(i, reading.length));
        i += reading.length;
    }
    return kept;
}
