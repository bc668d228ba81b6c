#include "cliarguments.h"

#include "strictvalue.h"

#include <QSet>

#include <optional>

using Command = CliRequest::Command;

namespace {
struct OptionRule
{
    QString name;
    bool takesValue;
    QList<Command> commands;
};

const QList<OptionRule> &optionRules()
{
    static const QList<OptionRule> rules{
        {QStringLiteral("--device"), true, {Command::Read, Command::Write, Command::Find}},
        {QStringLiteral("--devices"), true, {Command::Read, Command::Write, Command::Find}},
        {QStringLiteral("--comm"), true, {Command::Read, Command::Write, Command::Find}},
        {QStringLiteral("--baud"), true, {Command::Read, Command::Write}},
        {QStringLiteral("--json"), false, {Command::Ports, Command::Read, Command::Find}},
        {QStringLiteral("--destination"), true, {Command::Write}},
        {QStringLiteral("--module"), true, {Command::Write}},
        {QStringLiteral("--channel"), true, {Command::Write}},
        {QStringLiteral("--power"), true, {Command::Write}},
        {QStringLiteral("--tx-size"), true, {Command::Write}},
        {QStringLiteral("--rx-size"), true, {Command::Write}},
        {QStringLiteral("--from"), true, {Command::Write}},
    };
    return rules;
}

const OptionRule *findRule(const QString &name)
{
    for (const OptionRule &rule : optionRules()) {
        if (rule.name == name)
            return &rule;
    }
    return nullptr;
}

std::optional<Command> commandOf(const QString &word)
{
    for (const Command command : {Command::Ports, Command::Read, Command::Write, Command::Find}) {
        if (CliArguments::commandName(command) == word)
            return command;
    }
    return std::nullopt;
}

// The one option that may be given more than once: each names one more device.
const QString kDevice = QStringLiteral("--device");
const QString kDevices = QStringLiteral("--devices");

bool isHelp(const QString &argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

QString badValue(const QString &option, const QString &value, const QString &form)
{
    return QStringLiteral("%1 \"%2\" is not valid: give %3.").arg(option, value, form);
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
    if (first == QLatin1String("--version")) {
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

    QSet<QString> seen;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString option = arguments.at(i);
        std::optional<QString> value;
        const qsizetype equals = option.indexOf(QLatin1Char('='));
        if (option.startsWith(QLatin1String("--")) && equals > 0) {
            value = option.mid(equals + 1);
            option.truncate(equals);
        }
        const OptionRule *rule = findRule(option);
        if (!rule || !rule->commands.contains(*command)) {
            result.error = option.startsWith(QLatin1Char('-'))
                               ? QStringLiteral("%1 takes no option %2.").arg(first, option)
                               : QStringLiteral("unexpected argument \"%1\".").arg(option);
            return result;
        }
        if (seen.contains(option) && option != kDevice) {
            result.error = QStringLiteral("%1 is given twice.").arg(option);
            return result;
        }
        seen.insert(option);
        if (rule->takesValue && !value) {
            if (i + 1 >= arguments.size()) {
                result.error = QStringLiteral("%1 needs a value.").arg(option);
                return result;
            }
            value = arguments.at(++i);
        } else if (!rule->takesValue && value) {
            result.error = QStringLiteral("%1 takes no value.").arg(option);
            return result;
        }
        result.error = applyOption(request, option, value.value_or(QString()));
        if (!result.error.isEmpty())
            return result;
    }

    // One device alone runs as it always has; more, or a list, run in parallel.
    if (request.devices.size() == 1 && request.devicesFile.isEmpty())
        request.device = request.devices.takeFirst();
    result.error = conflicts(request, seen);
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

QString CliArguments::applyOption(CliRequest &request, const QString &option, const QString &value)
{
    using Field = ModemConfig::Field;
    if (option == kDevice) {
        if (value.isEmpty())
            return QStringLiteral("--device needs the path of a serial device.");
        request.devices.append(value);
    } else if (option == kDevices) {
        if (value.isEmpty())
            return QStringLiteral("--devices needs a file that lists devices, one a line, or - "
                                  "for standard input.");
        request.devicesFile = value;
    } else if (option == QLatin1String("--comm")) {
        const std::optional<int> comm = StrictValue::comm(value);
        if (!comm)
            return badValue(option, value, StrictValue::commForm());
        request.comm = *comm;
    } else if (option == QLatin1String("--baud")) {
        const std::optional<qint32> baud = StrictValue::baud(value);
        if (!baud)
            return badValue(option, value, StrictValue::baudForm());
        request.baud = *baud;
    } else if (option == QLatin1String("--json")) {
        request.json = true;
    } else if (option == QLatin1String("--from")) {
        if (value.isEmpty())
            return QStringLiteral("--from needs a file that \"read --json\" wrote, or - for "
                                  "standard input.");
        request.fromFile = value;
    } else {
        for (const Field field : ModemConfig::kFields) {
            if (option == QLatin1String("--") + ModemConfig::name(field))
                return applyEdit(request, field, option, value);
        }
    }
    return {};
}

QString CliArguments::conflicts(const CliRequest &request, const QSet<QString> &seen)
{
    const QString comm = QStringLiteral("--comm");
    if (seen.contains(kDevice) && seen.contains(comm))
        return QStringLiteral("give either --device or --comm, not both.");
    if (seen.contains(kDevices) && seen.contains(comm))
        return QStringLiteral("give either --devices or --comm, not both.");
    const QString standardInput = QStringLiteral("-");
    if (request.devicesFile == standardInput && request.fromFile == standardInput)
        return QStringLiteral("--devices and --from cannot both read standard input: give one "
                              "of them a file.");
    return {};
}

QStringList CliArguments::withoutDevices(const QStringList &arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const bool inlineValue = argument.startsWith(QLatin1String("--")) && equals > 0;
        const QString option = inlineValue ? argument.left(equals) : argument;
        const OptionRule *rule = i == 0 ? nullptr : findRule(option);
        const bool valueFollows = rule && rule->takesValue && !inlineValue;
        if (option == kDevice || option == kDevices) {
            i += valueFollows ? 1 : 0;
            continue;
        }
        kept.append(argument);
        if (valueFollows && i + 1 < arguments.size())
            kept.append(arguments.at(++i));
    }
    return kept;
}

QString CliArguments::applyEdit(CliRequest &request, ModemConfig::Field field,
                                const QString &option, const QString &value)
{
    const bool address = ModemConfig::isAddress(field);
    const std::optional<quint32> parsed =
        address ? StrictValue::address(value) : StrictValue::byte(value);
    if (!parsed)
        return badValue(option, value,
                        address ? StrictValue::addressForm() : StrictValue::byteForm());
    request.edits[static_cast<size_t>(field)] = *parsed;
    return {};
}
