// SPDX-License-Identifier: GPL-3.0-or-later
#include "interruptwatcher.h"

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

InterruptWatcher::InterruptWatcher(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0)
        return;
    ::fcntl(m_fds[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptWatcher::readSignal);
    writeFd = m_fds[1];
    for (const int signalNumber : kWatched)
        install(signalNumber, onSignal);
    // A reader gone from a pipe must not end the run while the modem is in
    // command mode; the write reports EPIPE instead.
    install(SIGPIPE, SIG_IGN);
}

InterruptWatcher::~InterruptWatcher()
{
    if (m_notifier) {
        for (const int signalNumber : kWatched)
            install(signalNumber, SIG_DFL);
        install(SIGPIPE, SIG_DFL);
    }
    writeFd = -1;
    for (const int fd : m_fds) {
        if (fd >= 0)
            ::close(fd);
    }
}

void InterruptWatcher::readSignal()
{
    char byte = 0;
    if (::read(m_fds[0], &byte, 1) != 1 || m_received != 0)
        return;
    m_received = static_cast<unsigned char>(byte);
    Q_EMIT interrupted(m_received);
}
