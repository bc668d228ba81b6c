// SPDX-License-Identifier: GPL-3.0-or-later
#include "runnermodem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

RunnerModem RunnerModem::fromEnvironment()
{
    RunnerModem modem;
    modem.port = qEnvironmentVariable("MIRAN_WIN_PORT");
    modem.rate = qEnvironmentVariableIntValue("MIRAN_WIN_SIM_RATE");
    modem.sharedFolder = qEnvironmentVariable("MIRAN_WIN_SHARED");
    return modem;
}

QStringList RunnerModem::missing() const
{
    QStringList names;
    if (port.isEmpty())
        names << QStringLiteral("MIRAN_WIN_PORT");
    if (rate <= 0)
        names << QStringLiteral("MIRAN_WIN_SIM_RATE");
    if (sharedFolder.isEmpty() || !QFileInfo(sharedFolder).isDir())
        names << QStringLiteral("MIRAN_WIN_SHARED");
    return names;
}

bool RunnerModem::ask(const QString &request) const
{
    const QDir shared(sharedFolder);
    const QString answer = shared.filePath(request + QStringLiteral(".done"));
    QFile::remove(answer);
    QFile note(shared.filePath(request));
    if (!note.open(QIODevice::WriteOnly))
        return false;
    note.close();
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(answer); }, 20'000))
        return false;
    QFile::remove(answer);
    return true;
}
