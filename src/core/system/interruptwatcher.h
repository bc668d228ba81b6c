// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

// Turns the signals that end a run (SIGINT, SIGTERM, SIGHUP, SIGQUIT) into a
// signal of the event loop, so a program can take the modem out of command
// mode before it exits. The first one is reported; later ones are taken and
// dropped while the watcher lives, so a second Ctrl-C cannot cut the "---"
// short. A write to a closed pipe fails instead of ending the program. Only
// one watcher may exist at a time; when it goes, every signal acts as usual
// again.
class InterruptWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    InterruptWatcher(const InterruptWatcher &) = delete;
    InterruptWatcher &operator=(const InterruptWatcher &) = delete;

    bool isValid() const { return m_native != nullptr; }
    // The first signal that arrived, or 0.
    int received() const { return m_received; }

Q_SIGNALS:
    void interrupted(int signalNumber);

private:
    // The operating system's side: the handlers and the way from them into
    // the event loop. Nothing while the handlers could not be installed.
    struct Native;

    // Each signal the handlers pass on, in the event loop.
    void take(int signalNumber);

    std::unique_ptr<Native> m_native;
    int m_received = 0;
};
