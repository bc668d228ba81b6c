// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "formfixture.h"
#include "support/sim/modemsim.h"

#include <QString>
#include <QStringList>

class Form1Ui;

// The window on the real serial component, comm port 1 mapped to a simulated
// modem holding kSimConfiguration. Each step waits as a user would and says
// why it failed: QVERIFY2(window.connect(), qPrintable(window.failure())).
class SimWindow
{
public:
    // Starts the simulator with these options besides --config.
    explicit SimWindow(const QStringList &simArguments = {});

    // Opens the window and waits for its start-up pass to show "??": a click
    // within its first 100 ms would have that pass decode during the request.
    bool start();
    // start() if not done yet, then Connect, and waits for the fields to
    // show the modem's configuration.
    bool connect();
    QString failure() const { return m_failure; }

    Form1Ui &ui();

    // Before start: what comm port 1 maps to instead of the simulator's
    // device, a serial server in front of it, say.
    void setPort(const QString &device) { m_port = device; }

    ModemSim sim;
    FormFixture fixture{FormFixture::Link::RecordedSerial};

private:
    bool fail(const QString &why);

    QString m_port;
    bool m_started = false;
    QString m_failure;
};
