// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

// The simulated modem that run.sh keeps on the Linux side behind a comm port,
// as the environment names it: MIRAN_WIN_PORT the comm port (COM1),
// MIRAN_WIN_SIM_RATE the modem's line rate, MIRAN_WIN_SHARED a folder where
// requests to run.sh go. The modem holds kSimConfiguration and starts in data
// mode.
struct RunnerModem
{
    QString port;
    qint32 rate = 0;
    QString sharedFolder;

    static RunnerModem fromEnvironment();
    // The variables that are not set, or not set right: empty when all are.
    QStringList missing() const;

    // Asks run.sh, which holds the modem's input, for "hangup" (unplug) or
    // "plug" and waits until it says the modem did it. False when it said
    // nothing in time.
    bool ask(const QString &request) const;

    // The modem takes the bytes that arrive with less than this between them
    // as one message; a pause this long ends one.
    static constexpr std::chrono::milliseconds kBurstGap{30};
};
