// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicelist.h"

#include "inputfile.h"

#include "serial/serialdevices.h"

#include <QHash>

namespace {
// A list of a few hundred devices is some kilobytes; anything far larger is
// not a list.
constexpr qint64 kLargestList = 1024 * 1024;
} // namespace

QStringList DeviceList::parse(const QByteArray &content)
{
    QStringList devices;
    for (const QString &line : QString::fromUtf8(content).split(QLatin1Char('\n'))) {
        const QString device = line.trimmed();
        if (!device.isEmpty() && !device.startsWith(QLatin1Char('#')))
            devices.append(device);
    }
    return devices;
}

std::optional<QStringList> DeviceList::read(const QString &file, QString &error)
{
    const std::optional<QByteArray> content =
        InputFile::read(file, kLargestList, QStringLiteral("a list of devices"), error);
    if (!content)
        return std::nullopt;
    return parse(*content);
}

QString DeviceList::duplicateError(const QStringList &devices)
{
    QHash<QString, QString> firstNamed;
    for (const QString &device : devices) {
        const QString key = SerialDevices::node(device);
        const auto earlier = firstNamed.constFind(key);
        if (earlier == firstNamed.cend()) {
            firstNamed.insert(key, device);
            continue;
        }
        const QString also =
            *earlier == device ? QString() : QStringLiteral(" (also as %1)").arg(*earlier);
        return QStringLiteral("the device %1 is given twice%2: two runs on one port would "
                              "fight. Give each device once.")
            .arg(device, also);
    }
    return {};
}
