#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>

// A repeating timer whose count restarts whenever its interval is set or it is
// enabled. Restarting costs one clock reading, so a receive handler can
// restart it for every byte of a fast line.
class QuietTimer final : public QObject
{
    Q_OBJECT

public:
    explicit QuietTimer(QObject *parent = nullptr);

    void setInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds interval() const { return m_interval; }
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

Q_SIGNALS:
    void timeout();

private:
    using Clock = std::chrono::steady_clock;

    void restartCount();
    void arm();
    void expired();

    QTimer m_timer;
    std::chrono::milliseconds m_interval{100};
    Clock::time_point m_deadline;
    std::uint64_t m_restarts = 0;
    bool m_enabled = false;
};
