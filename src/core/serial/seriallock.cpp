// SPDX-License-Identifier: GPL-3.0-or-later
#include "seriallock.h"

#include "system/otherprocess.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

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
            holder.running = !here || OtherProcess::runs(holder.pid);
        }
        return holder;
    }
    return std::nullopt;
}
