// SPDX-License-Identifier: GPL-3.0-or-later
#include "networkport.h"

#include "system/failure.h"

#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QUrl>

namespace {
const QString kRfc2217Scheme = QStringLiteral("rfc2217");
const QString kRawScheme = QStringLiteral("tcp");

std::chrono::milliseconds remaining(const QElapsedTimer &since)
{
    const auto elapsed = std::chrono::milliseconds(since.elapsed());
    return std::max(
        std::chrono::milliseconds(0),
        std::chrono::duration_cast<std::chrono::milliseconds>(NetworkPort::kConnectTimeout) -
            elapsed);
}
} // namespace

bool NetworkPort::isNetworkName(const QString &name)
{
    return name.startsWith(kRfc2217Scheme + QStringLiteral("://"), Qt::CaseInsensitive) ||
           name.startsWith(kRawScheme + QStringLiteral("://"), Qt::CaseInsensitive);
}

std::optional<NetworkPort::Address> NetworkPort::address(const QString &name)
{
    if (!isNetworkName(name))
        return std::nullopt;
    const QUrl url(name.trimmed(), QUrl::StrictMode);
    const int port = url.port();
    const QString path = url.path();
    if (!url.isValid() || url.host().isEmpty() || port <= 0 || !url.userInfo().isEmpty() ||
        !(path.isEmpty() || path == QLatin1String("/")) || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    const Kind kind =
        url.scheme().compare(kRawScheme, Qt::CaseInsensitive) == 0 ? Kind::Raw : Kind::Rfc2217;
    return Address{kind, url.host(), static_cast<quint16>(port)};
}

bool NetworkPort::hasFixedRate(const QString &name)
{
    const std::optional<Address> parts = address(name);
    return parts && parts->kind == Kind::Raw;
}

NetworkPort::NetworkPort(QObject *parent)
    : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkPort::socketReadable);
    connect(&m_socket, &QTcpSocket::disconnected, this, &NetworkPort::socketGone);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &NetworkPort::socketGone);
}

NetworkPort::~NetworkPort()
{
    // The socket goes without a signal to a half-destroyed port.
    m_socket.disconnect(this);
}

void NetworkPort::open(const QString &name, qint32 rate)
{
    const std::optional<Address> parts = address(name);
    if (!parts)
        throw Failure(FailureNumber::InvalidPortNumber,
                      QStringLiteral("\"%1\" is not a network port. Write rfc2217://HOST:PORT or "
                                     "tcp://HOST:PORT, the port a number from 1 to 65535.")
                          .arg(name));
    close();
    m_address = *parts;
    m_name = name;
    m_telnet = TelnetStream();
    const QScopedValueRollback<bool> waiting(m_waiting, true);

    m_socket.connectToHost(m_address.host, m_address.port);
    if (!m_socket.waitForConnected(static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(kConnectTimeout).count())))
        failOpen(connectFailure());
    // Every typed character and each "+++" goes out at once, not gathered.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_open = true;
    if (m_address.kind == Kind::Rfc2217) {
        m_socket.write(TelnetStream::opening() + TelnetStream::setFraming8N1());
        try {
            requestRate(rate);
        } catch (const Failure &) {
            // A port that did not open as asked is not left open.
            close();
            throw;
        }
    }
    // Whatever the server sent before the line was set is not a reply.
    m_data.clear();
}

void NetworkPort::setBaudRate(qint32 rate)
{
    if (!m_open || m_address.kind == Kind::Raw)
        return;
    {
        const QScopedValueRollback<bool> waiting(m_waiting, true);
        requestRate(rate);
    }
    if (!m_data.isEmpty())
        QMetaObject::invokeMethod(this, &NetworkPort::readyRead, Qt::QueuedConnection);
}

void NetworkPort::requestRate(qint32 rate)
{
    m_telnet.forgetReportedRate();
    m_socket.write(TelnetStream::setRate(static_cast<quint32>(rate)));
    const bool answered = waitUntil([this] {
        return m_telnet.comPort() == TelnetStream::ComPort::Refused ||
               m_telnet.reportedRate().has_value();
    });
    if (m_telnet.comPort() == TelnetStream::ComPort::Refused)
        failOpen(QStringLiteral("%1 does not let the program set the line (the server refused "
                                "RFC 2217). Turn RFC 2217 on in the server, or use tcp://%2:%3 "
                                "at the server's rate.")
                     .arg(m_name, m_address.host)
                     .arg(m_address.port));
    if (!m_open)
        failOpen(QStringLiteral("%1 closed the connection while the line was being set. A "
                                "serial server takes one client at a time: check that no other "
                                "program is connected, and the server's log.")
                     .arg(m_name));
    if (!answered)
        failOpen(QStringLiteral("%1 did not confirm the line rate within %2 s: it may not be an "
                                "RFC 2217 server. Check the address, or use tcp://%3:%4.")
                     .arg(m_name)
                     .arg(kConnectTimeout.count())
                     .arg(m_address.host)
                     .arg(m_address.port));
    if (*m_telnet.reportedRate() != static_cast<quint32>(rate))
        throw Failure(FailureNumber::CommStateFailed,
                      QStringLiteral("%1 does not take %2 baud (the server set %3).")
                          .arg(m_name)
                          .arg(rate)
                          .arg(*m_telnet.reportedRate()));
}

bool NetworkPort::waitUntil(const std::function<bool()> &done)
{
    QElapsedTimer since;
    since.start();
    while (!done()) {
        if (!m_open)
            return false;
        const std::chrono::milliseconds left = remaining(since);
        if (left.count() == 0)
            return false;
        m_socket.waitForReadyRead(static_cast<int>(left.count()));
    }
    return true;
}

void NetworkPort::failOpen(const QString &description)
{
    // Not a failure of the rate: another rate would fare no better.
    close();
    throw Failure(FailureNumber::DeviceUnavailable, description);
}

QString NetworkPort::connectFailure() const
{
    const QString where =
        QStringLiteral("%1 (port %2 of %3)").arg(m_name).arg(m_address.port).arg(m_address.host);
    switch (m_socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("%1 refused the connection: no serial server listens there. Check "
                              "the address and that the server runs.")
            .arg(where);
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("The host %1 of %2 is not known. Check its name.")
            .arg(m_address.host, m_name);
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("%1 did not answer within %2 s. Check the address and the network.")
            .arg(where)
            .arg(kConnectTimeout.count());
    default:
        return QStringLiteral("%1 could not be reached: %2.").arg(where, m_socket.errorString());
    }
}

void NetworkPort::write(QByteArrayView data)
{
    const QByteArray bytes =
        m_address.kind == Kind::Rfc2217 ? TelnetStream::escaped(data) : data.toByteArray();
    if (!m_open || m_socket.write(bytes) != bytes.size())
        throw Failure(
            FailureNumber::DeviceLost,
            QStringLiteral("%1 did not take the bytes: %2.").arg(m_name, m_socket.errorString()));
    m_socket.flush();
}

QByteArray NetworkPort::readAll()
{
    return std::exchange(m_data, QByteArray());
}

void NetworkPort::close()
{
    m_open = false;
    m_data.clear();
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.abort();
    }
}

void NetworkPort::socketReadable()
{
    const QByteArray bytes = m_socket.readAll();
    if (m_address.kind == Kind::Raw) {
        m_data += bytes;
    } else {
        TelnetStream::Taken taken = m_telnet.take(bytes);
        if (!taken.reply.isEmpty())
            m_socket.write(taken.reply);
        m_data += taken.data;
    }
    if (!m_waiting && m_open && !m_data.isEmpty())
        Q_EMIT readyRead();
}

void NetworkPort::socketGone()
{
    if (!m_open || m_socket.state() == QAbstractSocket::ConnectedState)
        return;
    const QString reason = m_socket.error() == QAbstractSocket::RemoteHostClosedError
                               ? QStringLiteral("the server closed it")
                               : QStringLiteral("network: %1").arg(m_socket.errorString());
    // Bytes that came before the end are still the line's.
    socketReadable();
    close();
    if (!m_waiting)
        Q_EMIT lost(reason);
}
