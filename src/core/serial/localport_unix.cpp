// SPDX-License-Identifier: GPL-3.0-or-later
#include "localport.h"

#include "hangupwatcher.h"
#include "seriallock.h"

#include <QFileInfo>
#include <QSerialPort>

namespace {
// The device can be read and written but would not open: another program
// holds it, or a lock file says so although its program has ended.
Failure inUse(const QString &path)
{
    const std::optional<SerialLock::Holder> lock = SerialLock::find(path);
    if (lock && !lock->running)
        return Failure(FailureNumber::StaleLock,
                       QStringLiteral("%1 is locked by %2, which a program left behind when it "
                                      "ended (process %3). Delete that file (sudo rm %2) and "
                                      "connect again.")
                           .arg(path, lock->lockFile)
                           .arg(lock->pid));
    const QString holder =
        lock && lock->pid > 0
            ? QStringLiteral(" (%1, process %2; lock file %3)")
                  .arg(lock->program.isEmpty() ? QStringLiteral("a program") : lock->program)
                  .arg(lock->pid)
                  .arg(lock->lockFile)
            : QString();
    return Failure(FailureNumber::PortAlreadyOpen,
                   QStringLiteral("%1 is in use by another program%2. Close that program and "
                                  "connect again.")
                       .arg(path, holder));
}

bool isFatalWhileOpen(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
           error == QSerialPort::ResourceError;
}
} // namespace

class LocalPort::Native
{
public:
    explicit Native(LocalPort &owner)
    {
        QObject::connect(&port, &QSerialPort::readyRead, &owner, &LocalPort::readyRead);
        QObject::connect(&port, &QSerialPort::errorOccurred, &owner,
                         [this, &owner](QSerialPort::SerialPortError error) {
                             if (isFatalWhileOpen(error))
                                 loseOnce(owner);
                         });
        QObject::connect(&hangup, &HangupWatcher::hungUp, &owner,
                         [this, &owner] { loseOnce(owner); });
    }

    Failure openFailure(const QString &path, int portNumber) const
    {
        const QFileInfo info(path);
        switch (port.error()) {
        case QSerialPort::DeviceNotFoundError:
            return noDevice(path, portNumber);
        case QSerialPort::PermissionError:
            if (!info.isReadable() || !info.isWritable())
                return Failure(FailureNumber::PermissionDenied,
                               QStringLiteral("Permission denied on %1: add your user to the "
                                              "dialout group and log in again.")
                                   .arg(path));
            return inUse(path);
        case QSerialPort::UnsupportedOperationError:
            return Failure(FailureNumber::DeviceUnavailable,
                           QStringLiteral("%1 is not a serial port. Map the comm port to the "
                                          "modem's serial device.")
                               .arg(path));
        default:
            return Failure(
                FailureNumber::DeviceUnavailable,
                QStringLiteral("%1 could not be opened: %2.").arg(path, port.errorString()));
        }
    }

    // A tty fails for good while open only when its line hung up or its
    // device went away; Qt may report that more than once.
    void loseOnce(LocalPort &owner)
    {
        if (!port.isOpen() || lostRaised)
            return;
        lostRaised = true;
        hangup.stop();
        Q_EMIT owner.lost();
    }

    QSerialPort port;
    HangupWatcher hangup;
    QString openPath;
    bool lostRaised = false;
};

LocalPort::LocalPort(QObject *parent)
    : QObject(parent)
    , m_native(std::make_unique<Native>(*this))
{}

LocalPort::~LocalPort() = default;

void LocalPort::open(const QString &path, qint32 rate, int portNumber)
{
    if (!QFileInfo::exists(path))
        throw noDevice(path, portNumber);
    QSerialPort &port = m_native->port;
    port.setPortName(path);
    port.setBaudRate(rate);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite))
        throw m_native->openFailure(path, portNumber);
    if (port.baudRate() != rate && !port.setBaudRate(rate)) {
        port.close();
        throw rateRefused(path, rate);
    }
    // Qt does not flush on open.
    port.clear();
    m_native->openPath = path;
    m_native->lostRaised = false;
    m_native->hangup.watch(port);
}

bool LocalPort::isOpen() const
{
    return m_native->port.isOpen();
}

bool LocalPort::setBaudRate(qint32 rate)
{
    return m_native->port.setBaudRate(rate);
}

void LocalPort::write(const QByteArray &bytes)
{
    QSerialPort &port = m_native->port;
    if (port.write(bytes) != bytes.size())
        throw Failure(FailureNumber::DeviceLost, QStringLiteral("%1 did not take the bytes: %2.")
                                                     .arg(m_native->openPath, port.errorString()));
    // Push the bytes to the driver now, so the gaps on the line are the
    // caller's waits and not the event loop's.
    port.flush();
}

QByteArray LocalPort::readAll()
{
    return m_native->port.readAll();
}

void LocalPort::close()
{
    m_native->hangup.stop();
    if (m_native->port.isOpen())
        m_native->port.close();
}
