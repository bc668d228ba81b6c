#pragma once

#include "platform/commcontrol.h"
#include "platform/failure.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

#include <chrono>
#include <functional>
#include <optional>

// A serial component in memory: it records what the window sets and writes,
// and delivers bytes the test hands it the way the real one does, one OnComm
// event per waiting byte.
class FakeComm final : public CommControl
{
    Q_OBJECT

public:
    struct Write
    {
        qint64 atMs;
        QByteArray bytes;
    };

    FakeComm();

    void setSettings(const QString &settings) override;
    void setCommPort(int portNumber) override;
    bool portOpen() const override { return m_open; }
    void setPortOpen(bool open) override;
    void setOutput(const QString &text) override;
    QString input() override;

    // Bytes arriving from the modem now.
    void receive(const QByteArray &bytes);
    // Bytes arriving after a delay, from the event loop.
    void receiveLater(const QByteArray &bytes, std::chrono::milliseconds delay);
    // Answers every "+++" with these bytes after the delay, like a modem.
    void answerCommandMode(const QByteArray &reply, std::chrono::milliseconds delay);
    // The component loses the device, as on an unplug.
    void unplug();

    // Failures to throw instead of doing the operation.
    std::optional<Failure> failSettings;
    std::optional<Failure> failOpen;
    std::optional<Failure> failOutput;

    QString settings;
    int commPort = 0;
    int opens = 0;
    int closes = 0;
    QList<Write> writes;
    QByteArray written() const;

private:
    bool m_open = false;
    QByteArray m_waiting;
    QByteArray m_commandReply;
    std::chrono::milliseconds m_replyDelay{0};
    bool m_answers = false;
    QElapsedTimer m_clock;
};
