// SPDX-License-Identifier: GPL-3.0-or-later
#include "ser2net.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

namespace {
constexpr int kStartTimeoutMs = 10'000;

// A port number nothing listens on now. ser2net takes it a moment later;
// another program taking it in between would only fail the test's start.
quint16 freePort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 0;
    return server.serverPort();
}
} // namespace

QString Ser2Net::program()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (!found.isEmpty())
        return found;
    return QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
}

Ser2Net::Ser2Net(const QString &device, int rate)
{
    m_rfc2217Port = freePort();
    m_tcpPort = freePort();
    const QString line = QStringLiteral("%1,%2n81,local").arg(device).arg(rate);
    const QString config = QStringLiteral("connection: &rfc2217\n"
                                          "  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                          "  connector: serialdev,%3\n"
                                          "connection: &raw\n"
                                          "  accepter: tcp,127.0.0.1,%2\n"
                                          "  connector: serialdev,%3\n")
                               .arg(m_rfc2217Port)
                               .arg(m_tcpPort)
                               .arg(line);
    const QString configPath = m_folder.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(configPath);
    if (program().isEmpty() || !m_folder.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(config.toUtf8()) < 0) {
        m_error = program().isEmpty() ? QStringLiteral("ser2net is not installed")
                                      : QStringLiteral("cannot write ") + configPath;
        return;
    }
    file.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // -n: stay in the foreground; -d: no daemon, messages to the output;
    // -u: no lock files, which need the system's lock folder; -P: a pid
    // file of its own instead of the system's.
    m_process.start(program(), {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-u"),
                                QStringLiteral("-c"), configPath, QStringLiteral("-P"),
                                m_folder.filePath(QStringLiteral("ser2net.pid"))});
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = QStringLiteral("ser2net did not start: ") + m_process.errorString();
        return;
    }
    m_ready = waitForPort(m_rfc2217Port) && waitForPort(m_tcpPort);
    if (!m_ready)
        m_error = QStringLiteral("ser2net did not listen: ") +
                  QString::fromLocal8Bit(m_process.readAll());
}

Ser2Net::~Ser2Net()
{
    kill();
}

bool Ser2Net::waitForPort(quint16 port)
{
    // The kernel's table of TCP sockets says when the server listens. A test
    // connection would do too, but the server may still be closing it when
    // the test's own client comes, and it takes one client at a time.
    const QString local =
        QStringLiteral("0100007F:%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (table.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : table.readAll().split('\n')) {
                const QList<QByteArray> fields = line.simplified().split(' ');
                // sl local_address rem_address st ...; st 0A is LISTEN.
                if (fields.size() > 3 && fields.at(1) == local.toLatin1() && fields.at(3) == "0A")
                    return true;
            }
        }
        QThread::msleep(20);
    }
    return false;
}

QString Ser2Net::rfc2217Name() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_rfc2217Port);
}

QString Ser2Net::tcpName() const
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(m_tcpPort);
}

void Ser2Net::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(kStartTimeoutMs);
}
