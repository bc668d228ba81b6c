// SPDX-License-Identifier: GPL-3.0-or-later
#include "interruptwatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A signal handler can reach nothing but a file-scope value: the write end
// of the watcher's socket pair, -1 while no watcher exists.
volatile sig_atomic_t writeFd = -1;

void onSignal(int signalNumber)
{
    const int fd = writeFd;
    if (fd < 0)
        return;
    const char byte = static_cast<char>(signalNumber);
    // Nothing can be done about a failed write inside a handler.
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}

void install(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = handler == onSignal ? SA_RESTART : 0;
    sigaction(signalNumber, &action, nullptr);
}
} // namespace

// A socket pair from the handlers to the event loop: a handler writes the
// signal's number as one byte, the notifier wakes on the read end.
struct InterruptWatcher::Native
{
    explicit Native(const int (&pair)[2])
        : fds{pair[0], pair[1]}
        , notifier(pair[0], QSocketNotifier::Read)
    {}
    ~Native()
    {
        for (const int fd : fds)
            ::close(fd);
    }
    Native(const Native &) = delete;
    Native &operator=(const Native &) = delete;

    const int fds[2];
    QSocketNotifier notifier;
};

InterruptWatcher::InterruptWatcher(QObject *parent)
    : QObject(parent)
{
    int pair[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return;
    ::fcntl(pair[1], F_SETFL, O_NONBLOCK);
    m_native = std::make_unique<Native>(pair);
    connect(&m_native->notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(m_native->fds[0], &byte, 1) == 1)
            take(static_cast<unsigned char>(byte));
    });
    writeFd = pair[1];
    for (const int signalNumber : kWatched)
        install(signalNumber, onSignal);
    // A reader gone from a pipe must not end the run while the modem is in
    // command mode; the write reports EPIPE instead.
    install(SIGPIPE, SIG_IGN);
}

InterruptWatcher::~InterruptWatcher()
{
    if (m_native) {
        for (const int signalNumber : kWatched)
            install(signalNumber, SIG_DFL);
        install(SIGPIPE, SIG_DFL);
    }
    writeFd = -1;
}
