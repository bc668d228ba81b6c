#include "portmap.h"

#include "settingsstore.h"

PortMap::PortMap(const SettingsStore &store)
    : m_store(store)
{}

QString PortMap::device(int portNumber) const
{
    const QString mapped =
        m_store.read(QStringLiteral("Ports"), QString::number(portNumber), QString()).trimmed();
    return mapped.isEmpty() ? defaultDevice(portNumber) : mapped;
}

QString PortMap::defaultDevice(int portNumber)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}
