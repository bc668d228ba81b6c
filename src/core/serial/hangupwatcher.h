// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

// Tells when the line under an open serial device hangs up: the USB adapter
// was unplugged, or a pseudo-terminal's other side closed. Qt 6.4 reports
// that as a read error, Qt 6.8 not at all (it reads nothing, again and
// again), so the descriptor's own state decides: the event loop wakes it on
// the error and hang-up conditions that poll(2) reports, and nothing is
// polled or read here. POSIX only.
class HangupWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit HangupWatcher(QObject *parent = nullptr);
    ~HangupWatcher() override;

    // Watches an open descriptor, until stop() and before it is closed.
    void watch(qintptr descriptor);
    // Safe from a slot of hungUp().
    void stop();

Q_SIGNALS:
    // Raised once per watch.
    void hungUp();

private:
    void check();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
