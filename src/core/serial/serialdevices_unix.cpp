// SPDX-License-Identifier: GPL-3.0-or-later
#include "serialdevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {
QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

QString ptyFolder()
{
    return QStringLiteral("/dev/pts");
}
} // namespace

QString SerialDevices::node(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

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

QList<SerialDevices::Device> SerialDevices::systemPorts()
{
    QList<Device> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices.append(fromInfo(info));
    return devices;
}

SerialDevices::Device SerialDevices::fromInfo(const QSerialPortInfo &info,
                                              const QString &linkFolder)
{
    Device device;
    device.systemPath = info.systemLocation();
    const QString link = linkTo(device.systemPath, linkFolder);
    device.path = link.isEmpty() ? device.systemPath : link;
    device.description = info.description();
    device.manufacturer = info.manufacturer();
    device.serialNumber = info.serialNumber();
    if (info.hasVendorIdentifier() && info.hasProductIdentifier())
        device.vendorProduct =
            hex4(info.vendorIdentifier()) + QLatin1Char(':') + hex4(info.productIdentifier());
    return device;
}
