// SPDX-License-Identifier: GPL-3.0-or-later
#include "serialdevices.h"

#include "network/networkport.h"
#include "portmap.h"

#include <QDir>
#include <QFileInfo>

namespace {
SerialDevices::Device ptyDevice(const QString &path, const QString &node)
{
    SerialDevices::Device device;
    device.path = path;
    device.systemPath = node;
    device.description = QStringLiteral("pseudo-terminal");
    return device;
}
} // namespace

QList<SerialDevices::Device> SerialDevices::present(const PortMap &portMap, int first, int last)
{
    QList<Device> devices;
    QStringList nodes;
    const auto add = [&devices, &nodes](const Device &device) {
        const QString node = SerialDevices::node(device.systemPath);
        if (nodes.contains(node))
            return;
        nodes.append(node);
        devices.append(device);
    };
    for (const Device &device : systemPorts())
        add(device);
    for (int number = first; number <= last; ++number) {
        const QString mapped = portMap.device(number);
        if (mapped == PortMap::defaultDevice(number))
            continue;
        if (const auto device = describe(mapped))
            add(*device);
    }
    for (const QString &pty : pseudoTerminals())
        add(ptyDevice(pty, pty));
    return devices;
}

std::optional<SerialDevices::Device> SerialDevices::describe(const QString &path)
{
    if (NetworkPort::isNetworkName(path))
        return networkDevice(path);
    const QString node = SerialDevices::node(path);
    for (Device device : systemPorts()) {
        if (SerialDevices::node(device.systemPath) != node)
            continue;
        device.path = path;
        return device;
    }
    if (!QFileInfo::exists(path))
        return std::nullopt;
    if (isPseudoTerminal(node))
        return ptyDevice(path, node);
    Device device;
    device.path = path;
    device.systemPath = node;
    return device;
}

QString SerialDevices::linkTo(const QString &systemPath, const QString &folder)
{
    if (folder.isEmpty())
        return {};
    const QString node = SerialDevices::node(systemPath);
    const QDir links(folder);
    for (const QFileInfo &link : links.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        if (link.isSymLink() && link.canonicalFilePath() == node)
            return link.absoluteFilePath();
    }
    return {};
}

std::optional<SerialDevices::Device> SerialDevices::networkDevice(const QString &name)
{
    const std::optional<NetworkPort::Address> address = NetworkPort::address(name);
    if (!address)
        return std::nullopt;
    Device device;
    device.path = name;
    device.systemPath = name;
    device.description =
        address->kind == NetworkPort::Kind::Raw
            ? QStringLiteral("network port, raw TCP: the server sets the baud rate")
            : QStringLiteral("network port, RFC 2217: the baud rate is set from here");
    return device;
}

QString SerialDevices::summary(const Device &device)
{
    QStringList parts;
    for (const QString &part : {device.description, device.manufacturer})
        if (!part.isEmpty())
            parts.append(part);
    if (!device.serialNumber.isEmpty())
        parts.append(QStringLiteral("serial ") + device.serialNumber);
    if (device.isUsb())
        parts.append(QStringLiteral("USB ") + device.vendorProduct);
    return parts.join(QStringLiteral(", "));
}

QString SerialDevices::portLine(int portNumber, const QString &path)
{
    const auto device = describe(path);
    if (!device)
        return NetworkPort::isNetworkName(path)
                   ? QStringLiteral("Comm port %1 is %2\nThat is not a network port. Type "
                                    "rfc2217://HOST:PORT or tcp://HOST:PORT below.")
                         .arg(portNumber)
                         .arg(path)
                   : QStringLiteral("Comm port %1 is %2\nThat device does not exist. Choose the "
                                    "modem's device below.")
                         .arg(portNumber)
                         .arg(path);
    const QString what = summary(*device);
    const QString node =
        device->systemPath != path ? QStringLiteral(" (%1)").arg(device->systemPath) : QString();
    return QStringLiteral("Comm port %1 is %2%3\n%4")
        .arg(portNumber)
        .arg(path, node,
             what.isEmpty() ? QStringLiteral("The serial library knows nothing more about it.")
                            : what);
}
