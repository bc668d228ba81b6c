// SPDX-License-Identifier: GPL-3.0-or-later
#include "otherprocess.h"

#include <cerrno>
#include <csignal>

bool OtherProcess::runs(qint64 pid)
{
    // EPERM: it runs, as another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void OtherProcess::signal(qint64 pid, int signalNumber)
{
    ::kill(static_cast<pid_t>(pid), signalNumber);
}

int OtherProcess::endSignal()
{
    return SIGTERM;
}
