// SPDX-License-Identifier: GPL-3.0-or-later
#include "clirunner.h"

#include "cliarguments.h"
#include "clifanout.h"
#include "clihelp.h"
#include "climessage.h"
#include "climodem.h"
#include "cliresults.h"
#include "devicelist.h"
#include "exitcode.h"
#include "inputfile.h"

#include "network/networkport.h"
#include "serial/portmap.h"
#include "serial/serialdevices.h"
#include "settings/settingsstore.h"
#include "system/interruptwatcher.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using Command = CliRequest::Command;

namespace {
// The number a --device path is opened under; it is mapped for this run only.
constexpr int kDevicePort = 1;
// A configuration file is a few hundred bytes; anything far larger is not one.
constexpr qint64 kLargestFromFile = 64 * 1024;

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QJsonObject deviceObject(const SerialDevices::Device &device)
{
    return {{QStringLiteral("path"), device.path},
            {QStringLiteral("systemPath"), device.systemPath},
            {QStringLiteral("description"), device.description},
            {QStringLiteral("manufacturer"), device.manufacturer},
            {QStringLiteral("serialNumber"), device.serialNumber},
            {QStringLiteral("vendorProduct"), device.vendorProduct}};
}

std::optional<ModemConfig> configFrom(const QByteArray &content, QString &error)
{
    ModemConfig::JsonError jsonError;
    std::optional<ModemConfig> config = ModemConfig::fromJson(content, jsonError);
    error = jsonError.message;
    return config;
}

bool noDeviceOpened(const ModemScan::Outcome &outcome)
{
    return std::all_of(outcome.tried.cbegin(), outcome.tried.cend(),
                       [](const ModemScan::Tried &tried) { return !tried.failure.isEmpty(); });
}
} // namespace

CliRunner::CliRunner(QTextStream &out, QTextStream &err, InterruptWatcher &interrupts)
    : m_out(out)
    , m_err(err)
    , m_interrupts(interrupts)
{}

int CliRunner::run(const QStringList &arguments)
{
    const CliArguments::Result parsed = CliArguments::parse(arguments);
    const CliRequest &request = parsed.request;
    if (!parsed.error.isEmpty())
        return usageError(request, parsed.error);
    if (request.listsDevices())
        return onEachDevice(request, arguments);
    return dispatch(request);
}

int CliRunner::dispatch(const CliRequest &request)
{
    switch (request.command) {
    case Command::Help:
        m_out << CliHelp::text(request.helpTopic);
        return ExitCode::Success;
    case Command::Version:
        m_out << CliHelp::version() << '\n';
        return ExitCode::Success;
    case Command::Ports:
        return ports(request);
    case Command::Read:
        return read(request);
    case Command::Write:
        return write(request);
    case Command::Find:
        return find(request);
    }
    return ExitCode::Usage;
}

int CliRunner::usageError(const CliRequest &request, const QString &error)
{
    const QString command = CliArguments::commandName(request.command);
    m_err << CliMessage::prefix() << error << '\n'
          << "Try '" << CliMessage::program()
          << (command.isEmpty() ? QString() : QLatin1Char(' ') + command) << " --help'.\n";
    return ExitCode::Usage;
}

int CliRunner::withModem(const CliRequest &request, const std::function<int(CliModem &)> &command)
{
    SettingsStore settings;
    PortMap portMap(settings);
    const int commPort = commPortFor(request, portMap);
    noteFixedRate(portMap.device(commPort));
    CliModem modem(portMap, commPort, request.baud);
    watchInterrupts(modem);
    return command(modem);
}

int CliRunner::read(const CliRequest &request)
{
    return withModem(request, [this, &request](CliModem &modem) {
        const CliModem::Outcome outcome = modem.read();
        report(outcome.messages);
        if (outcome.config)
            print(*outcome.config, request.json);
        return outcome.exitCode;
    });
}

int CliRunner::write(const CliRequest &request)
{
    // Everything that can be wrong with the values is found before the port
    // opens.
    std::optional<ModemConfig> from;
    if (!request.fromFile.isEmpty()) {
        QString error;
        from = loadFrom(request.fromFile, error);
        if (!from)
            return usageError(request, fromError(request, error));
    }

    return withModem(request, [this, &request, &from](CliModem &modem) {
        const CliModem::Outcome current = modem.read();
        report(current.messages);
        if (current.exitCode != ExitCode::Success)
            return current.exitCode;

        const ModemConfig wanted = from.value_or(*current.config).withEdits(request.edits);
        const CliModem::Outcome written = modem.write(wanted);
        report(written.messages);
        if (written.config)
            print(*written.config, false);
        return written.exitCode;
    });
}

int CliRunner::ports(const CliRequest &request)
{
    SettingsStore settings;
    const PortMap portMap(settings);
    const QList<SerialDevices::Device> devices =
        SerialDevices::present(portMap, PortMap::kFirstPort, PortMap::kLastPort);
    if (request.json) {
        QJsonArray array;
        for (const SerialDevices::Device &device : devices)
            array.append(deviceObject(device));
        m_out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) << '\n';
        return ExitCode::Success;
    }
    // One device a line, its parts separated by tabs; "-" for a part not known.
    for (const SerialDevices::Device &device : devices) {
        m_out << QStringList{device.path, orDash(device.description), orDash(device.manufacturer),
                             orDash(device.serialNumber), orDash(device.vendorProduct)}
                     .join(QLatin1Char('\t'))
              << '\n';
    }
    return ExitCode::Success;
}

int CliRunner::find(const CliRequest &request)
{
    SettingsStore settings;
    PortMap portMap(settings);
    QStringList devices;
    if (!request.hasPort()) {
        for (const SerialDevices::Device &device :
             SerialDevices::present(portMap, PortMap::kFirstPort, PortMap::kLastPort)) {
            if (device.isUsb())
                devices.append(device.path);
        }
        if (devices.isEmpty()) {
            report({QStringLiteral("no USB serial device is present. Plug the modem in, or give "
                                   "--device PATH or --comm N.")});
            return ExitCode::PortFailed;
        }
    }
    // With no port given, each USB device found is tried under the number a
    // --device path would take.
    const int commPort = request.hasPort() ? commPortFor(request, portMap) : kDevicePort;
    if (request.hasPort())
        devices = QStringList{portMap.device(commPort)};

    CliModem modem(portMap, commPort, request.baud);
    watchInterrupts(modem);
    const QStringList rates =
        ModemScan::rateOrder(ModemSession::baudRates(), QString::number(CliRequest::kDefaultBaud));
    const ModemScan::Outcome outcome =
        modem.find(devices, rates, [this](const QString &line) { report({line}); });
    if (modem.interruptedBy() != 0)
        return ExitCode::SignalBase + modem.interruptedBy();
    if (outcome.result != ModemScan::Outcome::Result::Found) {
        report(ModemScan::triedLines(outcome));
        if (noDeviceOpened(outcome))
            return ExitCode::PortFailed;
        report({ModemSession::noResponseText()});
        return ExitCode::NoAnswer;
    }
    if (request.json) {
        const QJsonObject found{{QStringLiteral("path"), outcome.device},
                                {QStringLiteral("rate"), outcome.rate.toInt()}};
        m_out << QString::fromUtf8(QJsonDocument(found).toJson(QJsonDocument::Compact)) << '\n';
    } else {
        m_out << outcome.device << ' ' << outcome.rate << '\n';
    }
    return ExitCode::Success;
}

int CliRunner::commPortFor(const CliRequest &request, PortMap &portMap)
{
    if (request.device.isEmpty())
        return request.comm;
    portMap.stand(kDevicePort, request.device);
    return kDevicePort;
}

int CliRunner::onEachDevice(const CliRequest &request, const QStringList &arguments)
{
    QString error;
    const std::optional<QStringList> devices = allDevices(request, error);
    if (!devices)
        return usageError(request, error);
    if (devices->size() == 1) {
        CliRequest alone = request;
        alone.device = devices->constFirst();
        alone.devices.clear();
        alone.devicesFile.clear();
        return dispatch(alone);
    }
    const std::optional<QByteArray> input = inputForEach(request, error);
    if (!input)
        return usageError(request, error);
    if (m_interrupts.received() != 0)
        return ExitCode::SignalBase + m_interrupts.received();

    CliFanOut fanOut(m_err, m_interrupts);
    const QList<CliChild::Result> results =
        fanOut.run(QCoreApplication::applicationFilePath(), CliArguments::withoutDevices(arguments),
                   *devices, *input);
    CliResults::print(m_out, results, request.json);
    if (m_interrupts.received() != 0)
        return ExitCode::SignalBase + m_interrupts.received();
    return CliResults::exitCode(results);
}

std::optional<QStringList> CliRunner::allDevices(const CliRequest &request, QString &error)
{
    QStringList devices = request.devices;
    if (!request.devicesFile.isEmpty()) {
        const QString &file = request.devicesFile;
        const std::optional<QStringList> listed = DeviceList::read(file, error);
        if (!listed) {
            error = QStringLiteral("--devices %1: %2.").arg(file, error);
            return std::nullopt;
        }
        if (listed->isEmpty()) {
            error = QStringLiteral("--devices %1: it lists no device; give one device a line.")
                        .arg(file);
            return std::nullopt;
        }
        devices += *listed;
    }
    error = DeviceList::duplicateError(devices);
    if (!error.isEmpty())
        return std::nullopt;
    return devices;
}

std::optional<QByteArray> CliRunner::inputForEach(const CliRequest &request, QString &error) const
{
    // Each device's run reads --from itself, so a bad file is found here,
    // before any starts; standard input is read once, here, and given to each.
    if (request.command != Command::Write || request.fromFile.isEmpty())
        return QByteArray();
    const std::optional<QByteArray> content = readFrom(request.fromFile, error);
    if (!content || !configFrom(*content, error)) {
        error = fromError(request, error);
        return std::nullopt;
    }
    return request.fromFile == QLatin1String("-") ? *content : QByteArray();
}

QString CliRunner::fromError(const CliRequest &request, const QString &error)
{
    return QStringLiteral("--from %1: %2.").arg(request.fromFile, error);
}

std::optional<ModemConfig> CliRunner::loadFrom(const QString &file, QString &error) const
{
    const std::optional<QByteArray> content = readFrom(file, error);
    if (!content)
        return std::nullopt;
    return configFrom(*content, error);
}

std::optional<QByteArray> CliRunner::readFrom(const QString &file, QString &error) const
{
    return InputFile::read(file, kLargestFromFile, QStringLiteral("a configuration"), error);
}

void CliRunner::watchInterrupts(CliModem &modem)
{
    // A signal that came before the modem existed stops it before it sends.
    if (m_interrupts.received() != 0)
        modem.interrupt(m_interrupts.received());
    QObject::connect(&m_interrupts, &InterruptWatcher::interrupted, &modem,
                     [&modem](int signalNumber) { modem.interrupt(signalNumber); });
}

void CliRunner::noteFixedRate(const QString &device)
{
    if (NetworkPort::hasFixedRate(device))
        report({QStringLiteral("%1 is a raw TCP port: the line runs at the server's baud rate, "
                               "which --baud does not change (rfc2217:// can set it).")
                    .arg(device)});
}

void CliRunner::report(const QStringList &messages)
{
    for (const QString &message : messages)
        m_err << CliMessage::prefix() << message << '\n';
    m_err.flush();
}

void CliRunner::print(const ModemConfig &config, bool json)
{
    m_out << (json ? config.toJson() + QLatin1Char('\n') : config.toText());
    m_out.flush();
}
