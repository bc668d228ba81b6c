#pragma once

#include "platform/commcontrol.h"

#include <QByteArray>
#include <QList>

#include <functional>

// A serial component that passes everything through to another one (the real
// component, talking to the simulated modem) and records each write the
// program makes, as one chunk, in order.
class RecordingComm final : public CommControl
{
    Q_OBJECT

public:
    explicit RecordingComm(CommControl &port, QObject *parent = nullptr);

    void setSettings(const QString &settings) override;
    void setCommPort(int portNumber) override;
    bool portOpen() const override;
    void setPortOpen(bool open) override;
    void setOutput(const QString &text) override;
    QString input() override;
    QString inputWaiting() override;

    QList<QByteArray> writes;
    // Runs after every write, with the bytes written.
    std::function<void(const QByteArray &)> onWrite;

private:
    CommControl &m_port;
};
