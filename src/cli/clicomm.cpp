#include "clicomm.h"

#include <thread>

namespace {
const QString kEntry = QStringLiteral("+++");
const QString kExit = QStringLiteral("---");
// A modem takes "---" as a sequence of its own only after a pause: the same
// as the read-back's wait between the two.
constexpr std::chrono::milliseconds kLeastCommandMode{100};
} // namespace

CliComm::CliComm(CommControl &port, QObject *parent)
    : CommControl(parent)
    , m_port(port)
{
    connect(&m_port, &CommControl::OnComm, this, &CommControl::OnComm);
    connect(&m_port, &CommControl::portLost, this, [this](const QString &description) {
        m_commandMode = false;
        Q_EMIT portLost(description);
    });
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
    return !m_abandoned && m_port.portOpen();
}

void CliComm::setPortOpen(bool open)
{
    if (open && m_abandoned)
        return;
    if (open)
        m_openFailure.reset();
    opening([&] { m_port.setPortOpen(open); });
    if (!open)
        m_commandMode = false;
}

void CliComm::setOutput(const QString &text)
{
    if (m_abandoned)
        throw Failure(FailureNumber::PortNotOpen, QStringLiteral("The run was interrupted."));
    m_port.setOutput(text);
    if (text == kEntry) {
        m_commandMode = true;
        m_entrySent = std::chrono::steady_clock::now();
    } else if (text == kExit) {
        m_commandMode = false;
    }
}

QString CliComm::input()
{
    return m_port.input();
}

QString CliComm::inputWaiting()
{
    return m_port.inputWaiting();
}

void CliComm::abandon()
{
    if (m_abandoned)
        return;
    try {
        if (m_commandMode && m_port.portOpen()) {
            // A short blocking pause: nothing else is left for this run to do.
            std::this_thread::sleep_until(m_entrySent + kLeastCommandMode);
            m_port.setOutput(kExit);
        }
    } catch (const Failure &) {
        // The port went away: there is no modem left to take out of command mode.
    }
    m_commandMode = false;
    m_abandoned = true;
    if (m_port.portOpen())
        m_port.setPortOpen(false);
}
