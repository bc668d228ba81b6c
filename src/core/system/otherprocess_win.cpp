// SPDX-License-Identifier: GPL-3.0-or-later
#include "otherprocess.h"

#include <windows.h>

#include <csignal>

bool OtherProcess::runs(qint64 pid)
{
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

void OtherProcess::signal(qint64 pid, int signalNumber)
{
    // The runs this program starts share its console, so Ctrl-C and closing
    // the console reach them as they reach this program: nothing to pass on.
    Q_UNUSED(pid);
    Q_UNUSED(signalNumber);
}

int OtherProcess::endSignal()
{
    return SIGTERM;
}
