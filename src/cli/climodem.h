// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clicomm.h"
#include "clidialogs.h"

#include "modem/memoryview.h"
#include "modem/modemconfig.h"
#include "modem/modemscan.h"
#include "modem/modemsession.h"
#include "serial/mscomm.h"
#include "system/qteventpump.h"
#include "system/quiettimer.h"
#include "system/steadyclock.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

class PortMap;

// One modem on one port, driven through the window's own session in its own
// words: a read opens the port and reads the configuration back, a write
// writes one and reads it back; the session waits for the reply, and this
// says how the run ended. A find is the window's modem scan.
class CliModem final : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        int exitCode = 0;
        // What the modem reported, when a reply was decoded.
        std::optional<ModemConfig> config;
        // For stderr, one line each.
        QStringList messages;
    };

    CliModem(PortMap &portMap, int commPort, qint32 baudRate, QObject *parent = nullptr);

    // Opens the port and reads the configuration back.
    Outcome read();
    // Writes this configuration into the modem that read() opened, reads it
    // back and compares.
    Outcome write(const ModemConfig &config);

    // Scans the devices at the rates, in that order, and says where the modem
    // answered; progress is told each try as it begins.
    ModemScan::Outcome find(const QStringList &devices, const QStringList &rates,
                            const std::function<void(const QString &)> &progress);

    // A signal arrived: the session is aborted (a modem in command mode leaves
    // it, once the line is quiet), the scan stops and nothing more is sent.
    void interrupt(int signalNumber);
    int interruptedBy() const { return m_signal; }

private:
    // What the session's reply means for the run.
    Outcome replied(const ModemSession::Reply &reply);
    Outcome ended(int exitCode, const QStringList &messages = {});
    Outcome portFailure();

    MSComm m_serial;
    CliComm m_comm;
    CliDialogs m_dialogs;
    SteadyClock m_clock;
    QtEventPump m_pump;
    QuietTimer m_timer;
    MemoryView m_view;
    ModemSession m_session;
    ModemScan m_scan;
    QString m_lostDescription;
    int m_signal = 0;
};
