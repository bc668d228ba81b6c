// SPDX-License-Identifier: GPL-3.0-or-later
#include "hangupwatcher.h"

#include <QSerialPort>
#include <QSocketNotifier>

#include <poll.h>

// The event loop raises an exception notifier on POLLERR and POLLHUP as well
// as POLLPRI, without taking the bytes the port's own reader takes.
class HangupWatcher::Native final : public QSocketNotifier
{
public:
    explicit Native(const QSerialPort &port)
        : QSocketNotifier(port.handle(), QSocketNotifier::Exception)
    {}
};

HangupWatcher::HangupWatcher(QObject *parent)
    : QObject(parent)
{}

HangupWatcher::~HangupWatcher() = default;

void HangupWatcher::watch(const QSerialPort &port)
{
    stop();
    m_native = std::make_unique<Native>(port);
    connect(m_native.get(), &QSocketNotifier::activated, this, &HangupWatcher::check);
}

void HangupWatcher::stop()
{
    if (!m_native)
        return;
    m_native->setEnabled(false);
    // It may be the notifier whose signal is being handled.
    m_native.release()->deleteLater();
}

void HangupWatcher::check()
{
    if (!m_native)
        return;
    pollfd state{int(m_native->socket()), 0, 0};
    if (::poll(&state, 1, 0) != 1 || (state.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0)
        return;
    stop();
    Q_EMIT hungUp();
}
