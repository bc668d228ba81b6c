// SPDX-License-Identifier: GPL-3.0-or-later
#include "portmap.h"

#include "settings/settingsstore.h"

namespace {
const QString kPorts = QStringLiteral("Ports");
} // namespace

PortMap::PortMap(const SettingsStore &store)
    : m_store(store)
{}

bool PortMap::isPortNumber(const QString &text)
{
    bool isNumber = false;
    const int number = text.trimmed().toInt(&isNumber);
    return isNumber && number >= kFirstPort && number <= kLastPort;
}

QString PortMap::device(int portNumber) const
{
    const auto standIn = m_standIns.constFind(portNumber);
    if (standIn != m_standIns.cend())
        return *standIn;
    const QString mapped = m_store.read(kPorts, QString::number(portNumber), QString()).trimmed();
    return mapped.isEmpty() ? defaultDevice(portNumber) : mapped;
}

void PortMap::stand(int portNumber, const QString &device)
{
    m_standIns.insert(portNumber, device);
}

void PortMap::release(int portNumber)
{
    m_standIns.remove(portNumber);
}

int PortMap::numberOf(const QString &device, int first, int last) const
{
    for (int number = first; number <= last; ++number) {
        if (this->device(number) == device)
            return number;
    }
    return 0;
}

void PortMap::assign(SettingsStore &store, int portNumber, const QString &device)
{
    store.write(kPorts, QString::number(portNumber), device);
}

QString PortMap::defaultDevice(int portNumber)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString PortMap::exampleDevice()
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM3");
#else
    return QStringLiteral("/dev/ttyUSB0");
#endif
}

QString PortMap::defaultDeviceRule()
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM<N>");
#else
    return QStringLiteral("/dev/ttyS<N-1>");
#endif
}
