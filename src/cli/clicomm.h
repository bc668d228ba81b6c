#pragma once

#include "platform/commcontrol.h"
#include "platform/failure.h"

#include <chrono>
#include <optional>

// The serial component as the command line hands it to the session. It passes
// everything through to the real component and keeps what the command needs
// afterwards: why the port did not open, and whether the modem was left in
// command mode ("+++" sent without its "---"), so an interrupted run can
// leave it properly.
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
    bool inCommandMode() const { return m_commandMode; }

    // Ends the run's use of the port: sends "---" when the modem is in
    // command mode, no sooner than the read-back would, then closes. Later
    // writes are refused.
    void abandon();

private:
    template<typename Step>
    void opening(Step step);

    CommControl &m_port;
    std::optional<Failure> m_openFailure;
    bool m_commandMode = false;
    std::chrono::steady_clock::time_point m_entrySent;
    bool m_abandoned = false;
};
