#include "portmap.h"

#include "settingsstore.h"

PortMap::PortMap(const SettingsStore &store)
    : m_store(store)
{}

QString PortMap::device(int portNumber) const
{
    const auto runMapping = m_runMappings.constFind(portNumber);
    if (runMapping != m_runMappings.cend())
        return *runMapping;
    const QString mapped =
        m_store.read(QStringLiteral("Ports"), QString::number(portNumber), QString()).trimmed();
    return mapped.isEmpty() ? defaultDevice(portNumber) : mapped;
}

void PortMap::mapForThisRun(int portNumber, const QString &device)
{
    m_runMappings.insert(portNumber, device);
}

QString PortMap::defaultDevice(int portNumber)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}
