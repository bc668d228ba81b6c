// SPDX-License-Identifier: GPL-3.0-or-later
#include "interruptwatcher.h"

#include <QWinEventNotifier>

#include <windows.h>

#include <atomic>
#include <csignal>

namespace {
// The numbers the run reports, as on POSIX systems: Ctrl-C is SIGINT, a
// closed console a hang-up, logging off or shutting down SIGTERM.
constexpr int kHangUp = 1;

int signalFor(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
        return SIGINT;
    case CTRL_BREAK_EVENT:
        return SIGBREAK;
    case CTRL_CLOSE_EVENT:
        return kHangUp;
    default:
        return SIGTERM;
    }
}

// The console handler runs on a thread of its own and can reach nothing but
// file-scope values: the event that wakes the watcher, the event the watcher
// sets when it is gone, and the first signal.
std::atomic<HANDLE> wakeEvent{nullptr};
std::atomic<HANDLE> doneEvent{nullptr};
std::atomic<int> firstSignal{0};

// Closing the console, logging off and shutting down end the process when
// the handler returns (after 5 s at the most), so the handler waits for the
// run to take the modem out of command mode and let the watcher go.
constexpr DWORD kWindDown = 4500;

BOOL WINAPI onControl(DWORD event)
{
    const HANDLE wake = wakeEvent.load();
    if (wake == nullptr)
        return FALSE;
    int none = 0;
    firstSignal.compare_exchange_strong(none, signalFor(event));
    SetEvent(wake);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(doneEvent.load(), kWindDown);
    return TRUE;
}
} // namespace

struct InterruptWatcher::Native
{
    Native()
        : wake(CreateEventW(nullptr, TRUE, FALSE, nullptr))
        , done(CreateEventW(nullptr, TRUE, FALSE, nullptr))
        , notifier(wake)
    {}
    ~Native()
    {
        SetEvent(done);
        CloseHandle(wake);
        // The handler may still wait on it; the process ends soon after.
        if (firstSignal.load() == 0)
            CloseHandle(done);
    }
    Native(const Native &) = delete;
    Native &operator=(const Native &) = delete;

    HANDLE wake;
    HANDLE done;
    QWinEventNotifier notifier;
};

InterruptWatcher::InterruptWatcher(QObject *parent)
    : QObject(parent)
{
    auto native = std::make_unique<Native>();
    if (native->wake == nullptr || native->done == nullptr)
        return;
    firstSignal = 0;
    wakeEvent = native->wake;
    doneEvent = native->done;
    if (!SetConsoleCtrlHandler(onControl, TRUE)) {
        wakeEvent = nullptr;
        return;
    }
    m_native = std::move(native);
    connect(&m_native->notifier, &QWinEventNotifier::activated, this, [this] {
        ResetEvent(m_native->wake);
        take(firstSignal.load());
    });
}

InterruptWatcher::~InterruptWatcher()
{
    if (!m_native)
        return;
    SetConsoleCtrlHandler(onControl, FALSE);
    wakeEvent = nullptr;
}
