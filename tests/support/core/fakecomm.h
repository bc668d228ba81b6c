// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "serial/commcontrol.h"
#include "system/failure.h"

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
    bool portOpen() const override;
    void setPortOpen(bool open) override;
    void setOutput(const QString &text) override;
    QString input() override;

    // Bytes arriving from the modem now.
    void receive(const QByteArray &bytes);
    // Bytes arriving after a delay, from the event loop.
    void receiveLater(const QByteArray &bytes, std::chrono::milliseconds delay);
    // Behaves like a modem: answers every "+++" with its configuration after
    // the delay, and takes a 12-byte write as its new configuration.
    void answerCommandMode(const QByteArray &configuration, std::chrono::milliseconds delay);
    QByteArray configuration() const { return m_commandReply; }
    // The component loses the device, as on an unplug.
    void unplug();

    // Failures to throw instead of doing the operation.
    std::optional<Failure> failSettings;
    std::optional<Failure> failOpen;
    std::optional<Failure> failOutput;
    std::optional<Failure> failPortOpenQuery;
    // Runs after every write, with the bytes written.
    std::function<void(const QByteArray &)> onWrite;

    QString settings;
    int commPort = 0;
    int opens = 0;
    int closes = 0;
    QList<Write> writes;
    QByteArray written() const;

private:
    bool m_open = false;
    QByteArray m_waiting;
    qsizetype m_readPos = 0;
    QByteArray m_commandReply;
    std::chrono::milliseconds m_replyDelay{0};
    bool m_answers = false;
    QElapsedTimer m_clock;
};
