// SPDX-License-Identifier: GPL-3.0-or-later
#include "serialdevices.h"

#include <QHash>
#include <QRegularExpression>

#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <array>

namespace {
QString deviceProperty(HDEVINFO set, SP_DEVINFO_DATA &data, DWORD property)
{
    std::array<wchar_t, 512> text{};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &data, property, &type,
                                           reinterpret_cast<BYTE *>(text.data()),
                                           DWORD(sizeof(text) - sizeof(wchar_t)), nullptr))
        return {};
    return QString::fromWCharArray(text.data());
}

QString portNameOf(HDEVINFO set, SP_DEVINFO_DATA &data)
{
    const HKEY key = SetupDiOpenDevRegKey(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE)
        return {};
    std::array<wchar_t, 64> name{};
    DWORD size = DWORD(sizeof(name) - sizeof(wchar_t));
    DWORD type = 0;
    const bool found =
        RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(name.data()),
                         &size) == ERROR_SUCCESS &&
        type == REG_SZ;
    RegCloseKey(key);
    return found ? QString::fromWCharArray(name.data()) : QString();
}

// What the device manager knows of each port, by the port's name.
QHash<QString, SerialDevices::Device> describedPorts()
{
    QHash<QString, SerialDevices::Device> ports;
    const HDEVINFO set =
        SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return ports;
    static const QRegularExpression usbIds(QStringLiteral("VID_([0-9A-F]{4})&PID_([0-9A-F]{4})"),
                                           QRegularExpression::CaseInsensitiveOption);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &data); ++index) {
        const QString name = portNameOf(set, data);
        if (name.isEmpty())
            continue;
        SerialDevices::Device device;
        device.path = name;
        device.systemPath = name;
        device.description = deviceProperty(set, data, SPDRP_FRIENDLYNAME);
        if (device.description.isEmpty())
            device.description = deviceProperty(set, data, SPDRP_DEVICEDESC);
        device.manufacturer = deviceProperty(set, data, SPDRP_MFG);
        const QRegularExpressionMatch ids =
            usbIds.match(deviceProperty(set, data, SPDRP_HARDWAREID));
        if (ids.hasMatch())
            device.vendorProduct =
                ids.captured(1).toLower() + QLatin1Char(':') + ids.captured(2).toLower();
        ports.insert(name.toUpper(), device);
    }
    SetupDiDestroyDeviceInfoList(set);
    return ports;
}

// The port names in the drivers' list (value name the driver's device,
// value the port's name), COM2 before COM10. The value names hold
// backslashes, which QSettings would take for groups.
QStringList listedPorts()
{
    QStringList names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        std::array<wchar_t, 256> valueName{};
        std::array<wchar_t, 64> port{};
        DWORD nameLength = DWORD(valueName.size());
        DWORD size = DWORD(sizeof(port) - sizeof(wchar_t));
        DWORD type = 0;
        const LONG status = RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE *>(port.data()), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS && type == REG_SZ)
            names.append(QString::fromWCharArray(port.data()));
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    names.removeDuplicates();
    return names;
}
} // namespace

// A comm port has one name; letters in any case.
QString SerialDevices::node(const QString &path)
{
    return path.toUpper();
}

QString SerialDevices::byIdFolder()
{
    return {};
}

QStringList SerialDevices::pseudoTerminals()
{
    return {};
}

bool SerialDevices::isPseudoTerminal(const QString &node)
{
    Q_UNUSED(node);
    return false;
}

QStringList SerialDevices::signature()
{
    return listedPorts();
}

QList<SerialDevices::Device> SerialDevices::systemPorts()
{
    const QHash<QString, Device> described = describedPorts();
    QList<Device> devices;
    for (const QString &name : listedPorts()) {
        Device device = described.value(name.toUpper());
        device.path = name;
        device.systemPath = name;
        devices.append(device);
    }
    return devices;
}
