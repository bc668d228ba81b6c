// SPDX-License-Identifier: GPL-3.0-or-later
#include "climodem.h"

#include "exitcode.h"

#include "modem/failurestatus.h"

CliModem::CliModem(PortMap &portMap, int commPort, qint32 baudRate, QObject *parent)
    : QObject(parent)
    , m_serial(portMap)
    , m_comm(m_serial)
    , m_view(QString::number(baudRate))
    , m_session({m_comm, m_dialogs, m_clock, m_pump, m_timer}, m_view)
    , m_scan(m_session, portMap)
{
    // The window's start-up pass shows "??" in its fields; here the fields
    // start so, and that pass must not take the first reply's decoding.
    m_timer.stop();
    m_session.setPortSetting(QString::number(commPort));
    connect(&m_comm, &CommControl::portLost, this, [this](const QString &description, int number) {
        m_lostDescription = QStringLiteral("%1 %2 and run the command again.")
                                .arg(description, FailureStatus::lossRemedy(number));
    });
}

CliModem::Outcome CliModem::read()
{
    return replied(m_session.read());
}

CliModem::Outcome CliModem::write(const ModemConfig &config)
{
    Outcome outcome = replied(m_session.write(config));
    if (outcome.exitCode != ExitCode::Success)
        return outcome;
    // One message a setting, however many of its bytes the modem did not take.
    QList<ModemConfig::Setting> notTaken;
    for (const ModemConfig::Difference &difference : m_session.notTaken()) {
        const ModemConfig::Setting setting = ModemConfig::settingOf(difference.field);
        if (notTaken.contains(setting))
            continue;
        notTaken.append(setting);
        outcome.exitCode = ExitCode::NotTaken;
        outcome.messages.append(
            QStringLiteral("the modem did not take %1: sent %2, modem reports %3")
                .arg(ModemConfig::name(setting), config.valueText(setting),
                     outcome.config->valueText(setting)));
    }
    return outcome;
}

ModemScan::Outcome CliModem::find(const QStringList &devices, const QStringList &rates,
                                  const std::function<void(const QString &)> &progress)
{
    const QMetaObject::Connection connection =
        connect(&m_scan, &ModemScan::trying, this,
                [&progress](const QString &device, const QString &rate, int attempt, int attempts) {
                    progress(QStringLiteral("trying %1 at %2 baud (%3 of %4)")
                                 .arg(device, rate)
                                 .arg(attempt)
                                 .arg(attempts));
                });
    ModemScan::Outcome outcome = m_scan.run(devices, rates);
    disconnect(connection);
    m_dialogs.take();
    return outcome;
}

void CliModem::interrupt(int signalNumber)
{
    if (m_signal != 0)
        return;
    m_signal = signalNumber;
    m_scan.cancel();
    m_session.abort();
}

CliModem::Outcome CliModem::replied(const ModemSession::Reply &reply)
{
    using Ending = ModemSession::Reply::Ending;
    if (m_signal != 0)
        return ended(ExitCode::SignalBase + m_signal);
    switch (reply.ending) {
    case Ending::Decoded:
        break;
    case Ending::NoAnswer:
        return ended(ExitCode::NoAnswer, {ModemSession::noResponseText()});
    case Ending::Endless:
        return ended(ExitCode::NoAnswer,
                     {QStringLiteral("The modem sent for %1 s without a pause. Check Comms Port & "
                                     "Baud rate")
                          .arg(ModemSession::kLongestReply.count())});
    case Ending::PortClosed:
    case Ending::Aborted:
    case Ending::Refused:
        return portFailure();
    }
    // Only a reply of exactly the configuration's length is one: anything
    // longer is noise or another device, and writing it back would change
    // every field of the modem.
    if (reply.length > ModemConfig::kByteCount)
        return ended(ExitCode::NoAnswer,
                     {QStringLiteral("The modem answered %1 bytes, not the 12 of its "
                                     "configuration. Check Comms Port & Baud rate")
                          .arg(reply.length)});
    if (reply.length < ModemConfig::kByteCount || !reply.config)
        return ended(ExitCode::NoAnswer,
                     {QStringLiteral("The modem answered %1 of the 12 configuration bytes. Check "
                                     "Comms Port & Baud rate")
                          .arg(reply.length)});
    Outcome outcome = ended(ExitCode::Success);
    outcome.config = reply.config;
    return outcome;
}

CliModem::Outcome CliModem::ended(int exitCode, const QStringList &messages)
{
    Outcome outcome;
    outcome.exitCode = exitCode;
    // After an interruption the session's refusals are only its way out.
    const QStringList boxes = m_dialogs.take();
    if (m_signal == 0)
        outcome.messages = boxes;
    outcome.messages += messages;
    return outcome;
}

CliModem::Outcome CliModem::portFailure()
{
    m_dialogs.take();
    if (!m_lostDescription.isEmpty())
        return ended(ExitCode::PortFailed, {m_lostDescription});
    const std::optional<Failure> &failure = m_comm.openFailure();
    return ended(ExitCode::PortFailed, {failure ? failure->description()
                                                : QStringLiteral("The port could not be opened.")});
}
