// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliprogram.h"

#include <QTest>

namespace {
constexpr int kRunTimeoutMs = 30'000;
} // namespace

QProcessEnvironment CliProgram::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    // The plain C locale of cron, ssh without a locale and a fresh system:
    // standard error must hold only the program's own words there too.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

void CliProgram::start(QProcess &process, const QStringList &arguments) const
{
    process.setProcessEnvironment(environment());
    process.start(qEnvironmentVariable("MIRAN_CLI", QStringLiteral(MIRAN_CLI_PATH)), arguments);
}

CliRun CliProgram::run(const QStringList &arguments, const QByteArray &input) const
{
    QProcess process;
    start(process, arguments);
    if (!process.waitForStarted(kRunTimeoutMs))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kRunTimeoutMs))
        process.kill();
    return finished(process);
}

CliRun CliProgram::runWithEvents(const QStringList &arguments) const
{
    QProcess process;
    start(process, arguments);
    if (!process.waitForStarted(kRunTimeoutMs))
        return {};
    process.closeWriteChannel();
    if (!QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; },
                         kRunTimeoutMs))
        process.kill();
    process.waitForFinished();
    return finished(process);
}

CliRun CliProgram::finished(QProcess &process)
{
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
