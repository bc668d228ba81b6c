// SPDX-License-Identifier: GPL-3.0-or-later
#include "hangupwatcher.h"

#include <poll.h>

HangupWatcher::HangupWatcher(QObject *parent)
    : QObject(parent)
{}

HangupWatcher::~HangupWatcher() = default;

void HangupWatcher::watch(qintptr descriptor)
{
    stop();
    // The event loop raises an exception notifier on POLLERR and POLLHUP as
    // well as POLLPRI, without taking the bytes the port's own reader takes.
    m_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Exception);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &HangupWatcher::check);
}

void HangupWatcher::stop()
{
    if (!m_notifier)
        return;
    m_notifier->setEnabled(false);
    // It may be the notifier whose signal is being handled.
    m_notifier.release()->deleteLater();
}

void HangupWatcher::check()
{
    if (!m_notifier)
        return;
    pollfd state{int(m_notifier->socket()), 0, 0};
    if (::poll(&state, 1, 0) != 1 || (state.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0)
        return;
    stop();
    Q_EMIT hungUp();
}
