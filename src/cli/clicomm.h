#pragma once

#include "platform/commcontrol.h"
#include "platform/failure.h"

#include <optional>

// The serial component as the command line hands it to the session. It passes
// everything through to the real component and keeps why the last open
// failed, which the session shows only in a message box.
class CliComm final : public CommControl
{
    Q_OBJECT

public:
    explicit CliComm(CommControl &port, QObject *parent = nullptr);

    void setSettings(const QString &settings) override;
    void setCommPort(int portNumber) override;
    bool portOpen() const override;
    void setPortOpen(bool open) override;
    void setOutput(const QString &text) override;
    QString input() override;
    QString inputWaiting() override;

    // The failure that stopped the last open, with the component's number and
    // description.
    const std::optional<Failure> &openFailure() const { return m_openFailure; }

private:
    template<typename Step>
    void opening(Step step);

    CommControl &m_port;
    std::optional<Failure> m_openFailure;
};
