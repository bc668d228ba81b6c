#pragma once

#include <QObject>
#include <QSocketNotifier>

// Turns SIGINT and SIGTERM into a signal of the event loop, so a run that is
// waiting can leave the modem properly before it exits. A second Ctrl-C kills
// the program at once. Only one watcher may exist at a time.
class InterruptWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    InterruptWatcher(const InterruptWatcher &) = delete;
    InterruptWatcher &operator=(const InterruptWatcher &) = delete;

    bool isValid() const { return m_notifier != nullptr; }
    // The signal that arrived, or 0.
    int received() const { return m_received; }

Q_SIGNALS:
    void interrupted(int signalNumber);

private:
    void readSignal();

    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
    int m_received = 0;
};
