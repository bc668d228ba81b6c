// SPDX-License-Identifier: GPL-3.0-or-later
#include "clioption.h"

#include "address/addressentry.h"
#include "modem/strictnumber.h"
#include "serial/portmap.h"

#include <algorithm>
#include <optional>

using Command = CliRequest::Command;
using Setting = ModemConfig::Setting;

namespace {
// Sets target to a value read strictly, or says the form it takes.
template<typename Target, typename Value>
QString store(Target &target, const std::optional<Value> &parsed, const QString &option,
              const QString &value, const QString &form)
{
    if (!parsed)
        return QStringLiteral("%1 \"%2\" is not valid: give %3.").arg(option, value, form);
    target = *parsed;
    return {};
}

QString needs(const QString &option, const QString &what)
{
    return QStringLiteral("%1 needs %2.").arg(option, what);
}

// Sets target to a name that cannot be empty, or says what the option needs.
QString storeName(QString &target, const QString &option, const QString &value, const QString &what)
{
    if (value.isEmpty())
        return needs(option, what);
    target = value;
    return {};
}

QString applyDevice(CliRequest &request, const QString &option, const QString &value)
{
    if (value.isEmpty())
        return needs(option, QStringLiteral("the path of a serial device"));
    request.devices.append(value);
    return {};
}

QString applyDevices(CliRequest &request, const QString &option, const QString &value)
{
    return storeName(request.devicesFile, option, value,
                     QStringLiteral("a file that lists devices, one a line, or - for standard "
                                    "input"));
}

QString applyComm(CliRequest &request, const QString &option, const QString &value)
{
    return store(request.comm, StrictNumber::comm(value), option, value, StrictNumber::commForm());
}

QString applyBaud(CliRequest &request, const QString &option, const QString &value)
{
    return store(request.baud, StrictNumber::baud(value), option, value, StrictNumber::baudForm());
}

QString applyJson(CliRequest &request, const QString &, const QString &)
{
    request.json = true;
    return {};
}

template<Setting setting>
QString applyEdit(CliRequest &request, const QString &option, const QString &value)
{
    std::optional<quint32> &edit = request.edits[static_cast<size_t>(setting)];
    if (ModemConfig::isAddress(setting))
        return store(edit, StrictNumber::address(value), option, value,
                     StrictNumber::addressForm());
    return store(edit, StrictNumber::byte(value), option, value, StrictNumber::byteForm());
}

QString applyFrom(CliRequest &request, const QString &option, const QString &value)
{
    return storeName(request.fromFile, option, value,
                     QStringLiteral("a file that \"read --json\" wrote, or - for standard input"));
}

template<Setting setting>
CliOption edit(const QString &help)
{
    return {.names = {ModemConfig::name(setting)},
            .valueName = ModemConfig::isAddress(setting)
                             ? QStringLiteral("HEX%1").arg(AddressEntry::kLength)
                             : QStringLiteral("N"),
            .uses = {{{Command::Write}, help}},
            .apply = &applyEdit<setting>};
}

QString addressHelp(const QString &which)
{
    return QStringLiteral("%1 address, exactly %2 hex digits")
        .arg(which)
        .arg(AddressEntry::kLength);
}

QString byteHelp(const QString &what)
{
    return QStringLiteral("%1, 0 to %2").arg(what).arg(StrictNumber::kLargestByte);
}

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}
} // namespace

const QList<CliOption> &CliOption::all()
{
    static const QList<Command> portCommands{Command::Read, Command::Write, Command::Find};
    static const QList<CliOption> options{
        {.names = {QStringLiteral("device")},
         .valueName = QStringLiteral("PATH"),
         .uses = {{portCommands,
                   QStringLiteral("the modem's serial device, for example %1, or a\n"
                                  "serial server's port: rfc2217://HOST:PORT (sets the\n"
                                  "rate there) or tcp://HOST:PORT (the server's rate); give\n"
                                  "it again for more devices, which run at the same time")
                       .arg(PortMap::exampleDevice())}},
         .apply = &applyDevice,
         .repeats = true,
         .namesDevices = true,
         .excludes = QStringLiteral("comm")},
        {.names = {QStringLiteral("devices")},
         .valueName = QStringLiteral("FILE"),
         .uses = {{portCommands,
                   QStringLiteral("more devices, one a line (blank lines and lines that\n"
                                  "start with # are skipped; - for standard input)")}},
         .apply = &applyDevices,
         .namesDevices = true,
         .excludes = QStringLiteral("comm"),
         .readsStandardInput = true},
        {.names = {QStringLiteral("comm")},
         .valueName = QStringLiteral("N"),
         .uses = {{portCommands, QStringLiteral("comm port N, mapped to a device as in the window\n"
                                                "(section [Ports] of the settings; unmapped: %1)")
                                     .arg(PortMap::defaultDeviceRule())}},
         .apply = &applyComm},
        {.names = {QStringLiteral("baud")},
         .valueName = QStringLiteral("RATE"),
         .uses = {{{Command::Read, Command::Write},
                   QStringLiteral("the line speed, default %1").arg(CliRequest::kDefaultBaud)}},
         .apply = &applyBaud},
        {.names = {QStringLiteral("json")},
         .uses = {{{Command::Ports}, QStringLiteral("one JSON array of objects instead")},
                  {{Command::Read},
                   QStringLiteral("one JSON object, with \"bytes\" as 24 hex digits")},
                  {{Command::Find},
                   QStringLiteral("one JSON object {\"path\", \"rate\"} instead")}},
         .apply = &applyJson},
        edit<Setting::Destination>(addressHelp(QStringLiteral("destination"))),
        edit<Setting::Module>(addressHelp(QStringLiteral("module"))),
        edit<Setting::Channel>(byteHelp(QStringLiteral("RF channel"))),
        edit<Setting::Power>(byteHelp(QStringLiteral("Tx power"))),
        edit<Setting::TxSize>(byteHelp(QStringLiteral("Tx packet size"))),
        edit<Setting::RxSize>(byteHelp(QStringLiteral("Rx packet size"))),
        {.names = {QStringLiteral("from")},
         .valueName = QStringLiteral("FILE"),
         .uses = {{{Command::Write},
                   QStringLiteral("all twelve bytes from a file that read --json\n"
                                  "wrote (- for standard input); values given\n"
                                  "as options replace the file's")}},
         .apply = &applyFrom,
         .readsStandardInput = true},
        {.names = {QStringLiteral("help"), QStringLiteral("h")},
         .uses = {{{Command::Help},
                   QStringLiteral("this help; miran-cli COMMAND --help for a command's")}}},
        {.names = {QStringLiteral("version")},
         .uses = {{{Command::Help}, QStringLiteral("the version")}}},
    };
    return options;
}

const CliOption *CliOption::find(const QString &name)
{
    const QList<CliOption> &options = all();
    const auto found = std::find_if(options.cbegin(), options.cend(),
                                    [&name](const CliOption &o) { return o.names.contains(name); });
    return found == options.cend() ? nullptr : &*found;
}

bool CliOption::takenBy(Command command) const
{
    return std::any_of(uses.cbegin(), uses.cend(),
                       [command](const Use &use) { return use.commands.contains(command); });
}

QString CliOption::help(Command command) const
{
    for (const Use &use : uses) {
        if (use.commands.contains(command))
            return use.help;
    }
    return {};
}

bool CliOption::isWritten(const QString &argument) const
{
    return std::any_of(names.cbegin(), names.cend(),
                       [&argument](const QString &name) { return dashed(name) == argument; });
}

QString CliOption::flag() const
{
    return dashed(names.first());
}

QString CliOption::synopsis() const
{
    return takesValue() ? flag() + QLatin1Char(' ') + valueName : flag();
}
