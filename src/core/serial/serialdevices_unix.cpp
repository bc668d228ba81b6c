// SPDX-License-Identifier: GPL-3.0-or-later
#include "serialdevices.h"

#include <QDir>

namespace {
QString ptyFolder()
{
    return QStringLiteral("/dev/pts");
}
} // namespace

QString SerialDevices::byIdFolder()
{
    return QStringLiteral("/dev/serial/by-id");
}

QStringList SerialDevices::pseudoTerminals()
{
    QStringList paths;
    const QDir folder(ptyFolder());
    for (const QString &name : folder.entryList(QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        bool number = false;
        name.toInt(&number);
        if (number)
            paths.append(folder.filePath(name));
    }
    return paths;
}

bool SerialDevices::isPseudoTerminal(const QString &node)
{
    return node.startsWith(ptyFolder() + QLatin1Char('/'));
}

QStringList SerialDevices::signature()
{
    QStringList names;
    const QDir dev(QStringLiteral("/dev"));
    names += dev.entryList({QStringLiteral("tty*")}, QDir::System, QDir::Name);
    names += QDir(byIdFolder()).entryList(QDir::System | QDir::Files, QDir::Name);
    names += QDir(ptyFolder()).entryList(QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return names;
}
