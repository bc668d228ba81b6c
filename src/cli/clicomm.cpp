#include "clicomm.h"

CliComm::CliComm(CommControl &port, QObject *parent)
    : CommControl(parent)
    , m_port(port)
{
    connect(&m_port, &CommControl::OnComm, this, &CommControl::OnComm);
    connect(&m_port, &CommControl::portLost, this, &CommControl::portLost);
}

template<typename Step>
void CliComm::opening(Step step)
{
    try {
        step();
    } catch (const Failure &failure) {
        m_openFailure = failure;
        throw;
    }
}

void CliComm::setSettings(const QString &settings)
{
    opening([&] { m_port.setSettings(settings); });
}

void CliComm::setCommPort(int portNumber)
{
    opening([&] { m_port.setCommPort(portNumber); });
}

bool CliComm::portOpen() const
{
    return m_port.portOpen();
}

void CliComm::setPortOpen(bool open)
{
    if (open)
        m_openFailure.reset();
    opening([&] { m_port.setPortOpen(open); });
}

void CliComm::setOutput(const QString &text)
{
    m_port.setOutput(text);
}

QString CliComm::input()
{
    return m_port.input();
}

QString CliComm::inputWaiting()
{
    return m_port.inputWaiting();
}
