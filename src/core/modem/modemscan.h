// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modemconfig.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class ModemSession;
class PortMap;

// "Find Modem": tries devices and baud rates until the modem answers. Each try
// is one read-back through the session (ModemSession::probe): the quiet time
// after the open, "+++", the reply window, "---" always, the reply's quiet
// time when something answered, then the port closed again; about 0.25 s
// without an answer, 0.35 s with one. The
// scan stops at the first try that gets 12 or more characters. Needs no
// window: the window and the command line both drive it.
//
// Use: closing an open port first, run() tries each device under the comm
// port number in force, standing it in for that number in the port map only
// while it is tried, and each rate in the order given. It lets events run, so
// cancel() from a button or a signal handler is seen; the try under way ends
// first, "---" included. The caller then shows the outcome and, when found,
// connects at that rate as "Connect" does.
class ModemScan final : public QObject
{
    Q_OBJECT

public:
    // Characters that make an answer: a whole configuration.
    static constexpr qint64 kAnswerLength = ModemConfig::kByteCount;

    // One device and how its tries went.
    struct Tried
    {
        QString device;
        QStringList rates;
        // Why the device could not be opened; empty when it could.
        QString failure;
    };

    struct Outcome
    {
        enum class Result
        {
            Found,
            NothingAnswered,
            Cancelled,
            // An exchange with the modem was running: nothing was tried.
            Refused,
        };

        Result result = Result::NothingAnswered;
        // Where the modem answered (Found only).
        QString device;
        QString rate;
        qint64 characters = 0;
        QList<Tried> tried;
    };

    ModemScan(ModemSession &session, PortMap &portMap, QObject *parent = nullptr);
    ~ModemScan() override;

    // The rates of the list in the order a scan tries them, likeliest first:
    // the rate shown, then 38400, 9600 and 19200, then the others in the
    // list's order. Only rates of the list are tried.
    static QStringList rateOrder(const QStringList &rates, const QString &shown);

    // The devices to try for a comm port number: the number's own device,
    // then, with everyUsbDevice, every USB serial device present, each once.
    static QStringList devicesFor(const PortMap &portMap, int portNumber, bool everyUsbDevice);

    Outcome run(const QStringList &devices, const QStringList &rates);
    void cancel() { m_cancelled = true; }
    bool isRunning() const { return m_running; }

    // What a scan tried and found nothing on, one sentence a device.
    static QStringList triedLines(const Outcome &outcome);
    // What the outcome means to the user, in one or a few sentences.
    static QString describe(const Outcome &outcome);

Q_SIGNALS:
    // A try begins: the device and rate, its number among all tries
    // (from 1) and how many tries there are at most.
    void trying(const QString &device, const QString &rate, int attempt, int attempts);

private:
    // Tries the rates on one device; true when the scan should stop.
    bool tryDevice(int portNumber, const QString &device, const QStringList &rates, int &attempt,
                   int attempts, Outcome &outcome);

    ModemSession &m_session;
    PortMap &m_portMap;
    bool m_cancelled = false;
    bool m_running = false;
};
