// SPDX-License-Identifier: GPL-3.0-or-later
#include "portconnection.h"

#include "failurestatus.h"
#include "lineguard.h"
#include "numberreader.h"
#include "serial/commcontrol.h"
#include "system/application.h"
#include "system/dialogs.h"
#include "system/failure.h"

using Button = ModemView::Button;

namespace {
int portNumber(const QString &portText)
{
    try {
        return NumberReader::toInteger(portText);
    } catch (const Failure &failure) {
        throw Failure(failure.number(),
                      QStringLiteral("%1: \"%2\" is not a comm port number. Choose one in the Comm "
                                     "Port list.")
                          .arg(failure.description(), portText));
    }
}
} // namespace

PortConnection::PortConnection(CommControl &comm, Dialogs &dialogs, LineGuard &line,
                               ModemView &view)
    : m_comm(comm)
    , m_dialogs(dialogs)
    , m_line(line)
    , m_view(&view)
{}

void PortConnection::open()
{
    m_view->setBusyPointer(true);
    m_view->setStatusText(QStringLiteral("Connecting..."));
    m_openFailure = {};
    const QString rate = m_view->baudRateText().trimmed();
    m_comm.setSettings(rate + QStringLiteral(",n,8,1"));
    setButtonsEnabled({Button::Command1, Button::Command2, Button::Command3, Button::Command4,
                       Button::Command5, Button::Command6},
                      false);
    m_comm.setCommPort(portNumber(PortSetting));
    if (m_comm.portOpen())
        m_comm.setPortOpen(false);
    m_comm.setPortOpen(true);
    m_line.opened(rate.toInt());
    m_view->setConnectCaption(QStringLiteral("Disconnect"));
    setButtonsEnabled(
        {Button::Command1, Button::Command3, Button::Command4, Button::Command5, Button::Command6},
        true);
    m_view->setStatusText(QStringLiteral("Connected to COMM ") + PortSetting);
    m_view->setBusyPointer(false);
}

bool PortConnection::OpenComms()
{
    try {
        open();
        return true;
    } catch (const std::exception &failure) {
        const auto *own = dynamic_cast<const Failure *>(&failure);
        openFailed(own ? own->number() : 0, describeFailure(failure));
        return false;
    }
}

void PortConnection::openFailed(int number, const QString &description)
{
    m_view->setBusyPointer(false);
    if (number == FailureNumber::InvalidPortNumber) {
        m_view->showTerminalPage();
        m_dialogs.messageBox(QStringLiteral("Please select a valid comms port"),
                             Application::title());
        m_openFailure = {QStringLiteral("Invalid port"), QStringLiteral("Invalid port")};
    } else {
        m_dialogs.messageBox(QStringLiteral("Error: ") + description, QStringLiteral("Error"));
        m_openFailure = {FailureStatus::openFailed(number, description),
                         QStringLiteral("Error!! ") + description};
    }
    showOpenFailure();
}

void PortConnection::CloseComms()
{
    if (m_comm.portOpen()) {
        m_comm.setPortOpen(false);
        m_view->setConnectCaption(QStringLiteral("Connect"));
    }
    m_line.closed();
    setButtonsEnabled({Button::Command2, Button::Command3}, false);
    m_view->setStatusText(QStringLiteral("Disconnected"));
}

void PortConnection::lost(const QString &description, int number)
{
    m_line.closed();
    m_view->setConnectCaption(QStringLiteral("Connect"));
    setButtonsEnabled({Button::Command2, Button::Command3}, false);
    m_lossStatus = {FailureStatus::lost(number),
                    QStringLiteral("Error!! %1 %2 and press Connect.")
                        .arg(description, FailureStatus::lossRemedy(number))};
    m_lossDescription = description;
    ++m_losses;
    showLoss();
}

void PortConnection::showOpenFailure() const
{
    m_view->setShortStatus(m_openFailure.first, m_openFailure.second);
}

void PortConnection::showLoss() const
{
    m_view->setShortStatus(m_lossStatus.first, m_lossStatus.second);
}

void PortConnection::setButtonsEnabled(std::initializer_list<Button> buttons, bool enabled)
{
    for (const Button button : buttons)
        m_view->setButtonEnabled(button, enabled);
}
