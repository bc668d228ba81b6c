// SPDX-License-Identifier: GPL-3.0-or-later
#include "mscomm.h"

#include <QRegularExpression>
#include <QScopedValueRollback>

namespace {
constexpr qsizetype kCompactAfter = 64 * 1024;
} // namespace

MSComm::MSComm(const PortMap &portMap, QObject *parent)
    : CommControl(parent)
    , m_portMap(portMap)
{
    connect(&m_port, &LocalPort::readyRead, this, &MSComm::readArrived);
    connect(&m_port, &LocalPort::lost, this, &MSComm::deviceGone);
    connect(&m_network, &NetworkPort::readyRead, this, &MSComm::readArrived);
    connect(&m_network, &NetworkPort::lost, this, &MSComm::networkLost);
}

MSComm::~MSComm() = default;

void MSComm::setSettings(const QString &settings)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9}),[nN],8,1$"));
    const QRegularExpressionMatch match = pattern.match(settings);
    const qint32 rate = match.hasMatch() ? match.captured(1).toInt() : 0;
    if (rate <= 0 || rate > kHighestRate) {
        const QString rateText = settings.section(QLatin1Char(','), 0, 0);
        throw Failure(FailureNumber::InvalidPropertyValue,
                      rateText.isEmpty()
                          ? QStringLiteral("No baud rate is chosen. Choose one in the Baud Rate "
                                           "list on the Comms Port Setup page.")
                          : QStringLiteral("\"%1\" is not a baud rate the port can use. Choose "
                                           "one in the Baud Rate list.")
                                .arg(rateText));
    }
    m_baudRate = rate;
    if (m_network.isOpen())
        m_network.setBaudRate(m_baudRate);
    else if (m_port.isOpen() && !m_port.setBaudRate(m_baudRate))
        throw LocalPort::rateRefused(m_openPath, m_baudRate);
}

void MSComm::setCommPort(int portNumber)
{
    if (portNumber < PortMap::kFirstPort || portNumber > PortMap::kLastPort)
        throw Failure(FailureNumber::InvalidPortNumber,
                      QStringLiteral("Comm port %1 does not exist.").arg(portNumber));
    m_commPort = portNumber;
}

bool MSComm::portOpen() const
{
    return m_port.isOpen() || m_network.isOpen();
}

void MSComm::setPortOpen(bool open)
{
    if (open)
        this->open();
    else
        close();
}

QString MSComm::device() const
{
    return m_portMap.device(m_commPort);
}

int MSComm::chosenNumber() const
{
    return m_portMap.hasStandIn(m_commPort) ? 0 : m_commPort;
}

void MSComm::open()
{
    if (portOpen())
        throw Failure(FailureNumber::PortAlreadyOpen,
                      QStringLiteral("%1 is already open.").arg(device()));
    const QString path = device();
    if (NetworkPort::isNetworkName(path)) {
        m_network.open(path, m_baudRate);
        opened(path);
        return;
    }
    m_port.open(path, m_baudRate, chosenNumber());
    opened(path);
}

void MSComm::opened(const QString &path)
{
    m_openPath = path;
    m_lostDescription.clear();
    m_received.clear();
    m_readPos = 0;
}

void MSComm::close()
{
    m_lostDescription.clear();
    m_port.close();
    m_network.close();
}

void MSComm::setOutput(const QString &text)
{
    if (!portOpen())
        throw Failure(FailureNumber::PortNotOpen,
                      m_lostDescription.isEmpty()
                          ? QStringLiteral("The port is not open. Press Connect first.")
                          : QStringLiteral("The port is not open. ") + m_lostDescription);
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            throw Failure(FailureNumber::InvalidArgument,
                          QStringLiteral("The character %1 cannot be sent as one byte.").arg(c));
        bytes.append(static_cast<char>(c.unicode()));
    }
    if (m_network.isOpen()) {
        m_network.write(bytes);
        return;
    }
    m_port.write(bytes);
}

QString MSComm::input()
{
    if (waiting() == 0)
        return {};
    const char byte = m_received.at(m_readPos++);
    if (m_readPos == m_received.size()) {
        m_received.clear();
        m_readPos = 0;
    }
    return QString(QChar(static_cast<char16_t>(static_cast<unsigned char>(byte))));
}

QString MSComm::inputWaiting()
{
    const QString waitingText = QString::fromLatin1(QByteArrayView(m_received).sliced(m_readPos));
    m_received.clear();
    m_readPos = 0;
    return waitingText;
}

void MSComm::readArrived()
{
    if (m_readPos > kCompactAfter) {
        m_received.remove(0, m_readPos);
        m_readPos = 0;
    }
    m_received += m_network.isOpen() ? m_network.readAll() : m_port.readAll();
    raiseEvents();
}

void MSComm::raiseEvents()
{
    // A handler that pumps events may see more bytes arrive; the loop already
    // running hands them out.
    if (m_raising)
        return;
    const QScopedValueRollback<bool> raising(m_raising, true);
    while (waiting() > 0) {
        const qsizetype before = waiting();
        Q_EMIT OnComm();
        // Nobody read the byte: the next arrival raises the event again.
        if (waiting() == before)
            return;
    }
}

void MSComm::deviceGone()
{
    if (!m_port.isOpen())
        return;
    const QString path = m_openPath;
    // A tty fails for good while open only when its line hung up or its
    // device went away. The errno Qt reports then is often one an earlier
    // call left behind, and the node may linger while the driver lets go of
    // it, so neither decides the reason: it is the same every time.
    m_port.close();
    lose(QStringLiteral("The connection to %1 was lost (the device was removed).").arg(path),
         FailureNumber::DeviceLost);
}

void MSComm::networkLost(const QString &reason)
{
    lose(QStringLiteral("The connection to %1 was lost (%2).").arg(m_openPath, reason),
         FailureNumber::ConnectionLost);
}

void MSComm::lose(const QString &description, int number)
{
    // Kept for the writes that a running exchange still attempts, so their
    // failure says why the port closed. What to do next is the front end's.
    m_lostDescription = description;
    Q_EMIT portLost(m_lostDescription, number);
}
