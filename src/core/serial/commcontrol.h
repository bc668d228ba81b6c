// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// The serial-port component the window talks through. Texts carry one byte
// per character, of the character's code (0 to 255). Failing operations throw
// Failure.
class CommControl : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The highest line speed setSettings takes.
    static constexpr qint32 kHighestRate = 4'000'000;

    // "<rate>,n,8,1": line speed, no parity, 8 data bits, 1 stop bit.
    virtual void setSettings(const QString &settings) = 0;
    virtual void setCommPort(int portNumber) = 0;
    virtual bool portOpen() const = 0;
    // Opening fails with InvalidPortNumber when no device is behind the port.
    virtual void setPortOpen(bool open) = 0;
    // Sends each character as one byte, in order, nothing added.
    virtual void setOutput(const QString &text) = 0;
    // The next received byte as one character, or "" when nothing waits.
    virtual QString input() = 0;
    // Every byte waiting, one character each, as a run of input() calls would
    // give them; "" when nothing waits.
    virtual QString inputWaiting()
    {
        QString waiting;
        for (QString next = input(); !next.isEmpty(); next = input())
            waiting += next;
        return waiting;
    }

Q_SIGNALS:
    // Raised once per waiting byte, and again while bytes remain unread.
    void OnComm();
    // The open port failed under the program (unplugged, hung up, the
    // server gone). The port is already closed when this is raised; number
    // is FailureNumber::DeviceLost or ConnectionLost.
    void portLost(const QString &description, int number);
};
