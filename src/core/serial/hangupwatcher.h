// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

class QSerialPort;

// Tells when the line under an open serial device hangs up: the USB adapter
// was unplugged, or a pseudo-terminal's other side closed. Qt 6.4 reports
// that as a read error, Qt 6.8 not at all (it reads nothing, again and
// again), so the handle's own state decides: the event loop wakes the
// watcher on the error and hang-up conditions of the handle, and nothing is
// read here.
class HangupWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit HangupWatcher(QObject *parent = nullptr);
    ~HangupWatcher() override;

    // Watches an open port, until stop() and before it is closed.
    void watch(const QSerialPort &port);
    // Safe from a slot of hungUp().
    void stop();

Q_SIGNALS:
    // Raised once per watch.
    void hungUp();

private:
    // The operating system's watch on one handle.
    class Native;

    void check();

    std::unique_ptr<Native> m_native;
};
