// SPDX-License-Identifier: GPL-3.0-or-later
#include "clichild.h"

#include "climessage.h"
#include "exitcode.h"

#include "system/otherprocess.h"

#include <utility>

CliChild::CliChild(const QString &device, QTextStream &err, QObject *parent)
    : QObject(parent)
    , m_err(err)
{
    m_result.device = device;
    connect(&m_process, &QProcess::readyReadStandardError, this, &CliChild::readMessages);
    connect(&m_process, &QProcess::finished, this, &CliChild::onFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &CliChild::onError);
}

CliChild::~CliChild()
{
    // Only reached early when this program itself is ending abnormally: the
    // run is asked to end as on Ctrl-C, so that its modem leaves command mode.
    if (m_process.state() != QProcess::NotRunning) {
        passOn(OtherProcess::endSignal());
        m_process.waitForFinished();
    }
}

void CliChild::start(const QString &program, const QStringList &arguments, const QByteArray &input)
{
    m_process.start(program, arguments + QStringList{QStringLiteral("--device"), m_result.device});
    if (!input.isEmpty())
        m_process.write(input);
    m_process.closeWriteChannel();
}

void CliChild::passOn(int signalNumber)
{
    const qint64 pid = m_process.processId();
    if (pid > 0 && !m_ended)
        OtherProcess::signal(pid, signalNumber);
}

void CliChild::readMessages()
{
    m_partialLine += m_process.readAllStandardError();
    qsizetype newline = m_partialLine.indexOf('\n');
    while (newline >= 0) {
        tell(QString::fromUtf8(m_partialLine.left(newline)));
        m_partialLine.remove(0, newline + 1);
        newline = m_partialLine.indexOf('\n');
    }
}

void CliChild::tell(const QString &line)
{
    const QString message =
        line.startsWith(CliMessage::prefix()) ? line.mid(CliMessage::prefix().size()) : line;
    m_result.messages.append(message);
    m_err << CliMessage::prefix() << m_result.device << ": " << message << '\n';
    m_err.flush();
}

void CliChild::onFinished(int exitCode, QProcess::ExitStatus status)
{
    readMessages();
    if (!m_partialLine.isEmpty())
        tell(QString::fromUtf8(std::exchange(m_partialLine, {})));
    m_result.out = m_process.readAllStandardOutput();
    // A run ended by a signal's own action counts as shells count it; Qt
    // gives the signal's number as the code.
    end(status == QProcess::NormalExit ? exitCode : ExitCode::SignalBase + exitCode);
}

void CliChild::onError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
        return;
    tell(QStringLiteral("could not start %1 for this device: %2. Run it for this device "
                        "alone, or with fewer devices at once.")
             .arg(m_process.program(), m_process.errorString()));
    end(ExitCode::NotRun);
}

void CliChild::end(int exitCode)
{
    if (m_ended)
        return;
    m_ended = true;
    m_result.exitCode = exitCode;
    Q_EMIT ended();
}
