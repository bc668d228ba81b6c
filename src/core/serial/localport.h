// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/failure.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// A serial device of this machine, 8 data bits, no parity, one stop bit and
// no flow control, at a chosen rate. The system's side is its own: Qt
// SerialPort where the system is POSIX, the Win32 communications API on
// Windows. Received bytes wait here until readAll() takes them.
class LocalPort final : public QObject
{
    Q_OBJECT

public:
    explicit LocalPort(QObject *parent = nullptr);
    ~LocalPort() override;
    LocalPort(const LocalPort &) = delete;
    LocalPort &operator=(const LocalPort &) = delete;

    // Opens the device and drops whatever it buffered before. Throws a
    // Failure that says why it would not open and what to do; portNumber is
    // the comm port the user chose, or 0 when the device was named directly.
    void open(const QString &path, qint32 rate, int portNumber);
    bool isOpen() const;
    // False when the device refuses the rate; the old one stays.
    bool setBaudRate(qint32 rate);
    // Hands the bytes to the driver in order. Throws DeviceLost when the
    // device will not take them.
    void write(const QByteArray &bytes);
    QByteArray readAll();
    void close();

    static Failure rateRefused(const QString &path, qint32 rate);

Q_SIGNALS:
    void readyRead();
    // The device went away under the open port (unplugged, hung up). Raised
    // once; the port is still open until close().
    void lost();

private:
    // The operating system's side.
    class Native;

    static Failure noDevice(const QString &path, int portNumber);

    std::unique_ptr<Native> m_native;
};
