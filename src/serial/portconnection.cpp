#include "portconnection.h"

#include "modem/numberreader.h"
#include "modem/readback.h"
#include "platform/commcontrol.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/portmap.h"
#include "shell/application.h"
#include "shell/form1ui.h"
#include "shell/formstate.h"

#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

namespace {
constexpr int kTerminalTab = 2;

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

PortConnection::PortConnection(const FormContext &context, const PortMap &portMap,
                               ReadBack &readBack)
    : m_context(context)
    , m_portMap(portMap)
    , m_readBack(readBack)
{}

void PortConnection::OpenComms()
{
    try {
        openPort();
    } catch (const std::exception &failure) {
        const auto *own = dynamic_cast<const Failure *>(&failure);
        openFailed(own ? own->number() : 0, describeFailure(failure));
    }
}

void PortConnection::openPort()
{
    Form1Ui &ui = m_context.ui;
    CommControl &comm = m_context.MSComm1;
    ui.setBusyPointer(true);
    ui.setStatusText(QStringLiteral("Connecting..."));
    comm.setSettings(ui.Combo2->currentText().trimmed() + QStringLiteral(",n,8,1"));
    for (QPushButton *button :
         {ui.Command1, ui.Command2, ui.Command3, ui.Command4, ui.Command5, ui.Command6})
        button->setEnabled(false);
    comm.setCommPort(portNumber(m_context.state.PortSetting));
    if (comm.portOpen())
        comm.setPortOpen(false);
    comm.setPortOpen(true);
    ui.Command7->setText(QStringLiteral("Disconnect"));
    for (QPushButton *button : {ui.Command1, ui.Command3, ui.Command4, ui.Command5, ui.Command6})
        button->setEnabled(true);
    ui.setStatusText(QStringLiteral("Connected to COMM ") + m_context.state.PortSetting);
    ui.setBusyPointer(false);
}

void PortConnection::openFailed(int number, const QString &description)
{
    Form1Ui &ui = m_context.ui;
    ui.setBusyPointer(false);
    if (number == FailureNumber::InvalidPortNumber) {
        ui.TabStrip1->setCurrentIndex(kTerminalTab);
        m_context.dialogs.messageBox(QStringLiteral("Please select a valid comms port"),
                                     Application::title());
        ui.setStatusText(QStringLiteral("Invalid port"));
        return;
    }
    m_context.dialogs.messageBox(QStringLiteral("Error: ") + description, QStringLiteral("Error"));
    ui.setStatusText(QStringLiteral("Error!! ") + description);
}

void PortConnection::CloseComms()
{
    if (m_context.MSComm1.portOpen()) {
        m_context.MSComm1.setPortOpen(false);
        m_context.ui.Command7->setText(QStringLiteral("Connect"));
    }
    m_context.ui.Command2->setEnabled(false);
    m_context.ui.Command3->setEnabled(false);
    m_context.ui.setStatusText(QStringLiteral("Disconnected"));
}

void PortConnection::Command7_Click()
{
    if (m_context.MSComm1.portOpen()) {
        CloseComms();
        return;
    }
    OpenComms();
    m_readBack.Command3_Click();
}

void PortConnection::Combo1_Click()
{
    CloseComms();
    m_context.state.PortSetting = m_context.ui.Combo1->currentText();
    OpenComms();
    m_readBack.Command3_Click();
}

void PortConnection::portLost(const QString &description)
{
    showClosedState();
    m_context.ui.setStatusText(QStringLiteral("Error!! ") + description);
}

void PortConnection::showClosedState()
{
    m_context.ui.Command7->setText(QStringLiteral("Connect"));
    m_context.ui.Command2->setEnabled(false);
    m_context.ui.Command3->setEnabled(false);
}

void PortConnection::showDevice(const QString &portText)
{
    bool isNumber = false;
    const int port = portText.trimmed().toInt(&isNumber);
    m_context.ui.Combo1->setToolTip(
        isNumber ? QStringLiteral("Comm port %1 is %2").arg(port).arg(m_portMap.device(port))
                 : QString());
}
