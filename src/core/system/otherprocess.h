// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Another process, known by its id: whether it still runs, and the signals
// this program passes on to the runs it started.
class OtherProcess
{
public:
    // Whether a process with this id runs, also one of another user.
    static bool runs(qint64 pid);

    // Sends the process a signal as the interrupt watcher reports them; one
    // that has ended already is no error.
    static void signal(qint64 pid, int signalNumber);

    // The signal that asks a process to end as an interrupt would.
    static int endSignal();
};
