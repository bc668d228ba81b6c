// SPDX-License-Identifier: GPL-3.0-or-later
#include "seriallock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <cerrno>
#include <csignal>

namespace {
// The folders QSerialPort looks in, in its order.
QStringList lockFolders()
{
    return {QStringLiteral("/var/lock"),
            QStringLiteral("/etc/locks"),
            QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"),
            QStringLiteral("/tmp"),
            QStringLiteral("/var/tmp"),
            QStringLiteral("/var/lock/lockdev"),
            QStringLiteral("/run/lock"),
            QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
}

bool processRuns(qint64 pid)
{
    // EPERM: it runs, as another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}
} // namespace

QString SerialLock::fileName(const QString &devicePath)
{
    const QString dev = QStringLiteral("/dev/");
    QString name = devicePath.startsWith(dev) ? devicePath.mid(dev.size()) : devicePath;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

std::optional<SerialLock::Holder> SerialLock::find(const QString &devicePath)
{
    const QString name = fileName(devicePath);
    for (const QString &folder : lockFolders()) {
        const QString path = QDir(folder).filePath(name);
        if (!QFileInfo::exists(path))
            continue;
        Holder holder;
        holder.lockFile = path;
        QString hostName;
        if (QLockFile(path).getLockInfo(&holder.pid, &hostName, &holder.program) &&
            holder.pid > 0) {
            // A lock from another machine (a shared folder) cannot be checked.
            const bool here = hostName.isEmpty() || hostName == QSysInfo::machineHostName();
            holder.running = !here || processRuns(holder.pid);
        }
        return holder;
    }
    return std::nullopt;
}
