#include "configwrite.h"

#include "commandmode.h"
#include "configpacket.h"
#include "platform/commcontrol.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "readback.h"
#include "shell/application.h"
#include "shell/form1ui.h"
#include "shell/formstate.h"
#include "timedwait.h"

#include <QLineEdit>
#include <QScopeGuard>

namespace {
constexpr double kAfterEntry = 0.2;
constexpr double kAfterPacket = 0.2;
constexpr double kAfterExit = 0.5;
} // namespace

ConfigWrite::ConfigWrite(const FormContext &context, CommandMode &commandMode, TimedWait &wait,
                         ReadBack &readBack)
    : m_context(context)
    , m_commandMode(commandMode)
    , m_wait(wait)
    , m_readBack(readBack)
{}

void ConfigWrite::SendConfigPacket()
{
    ConfigPacket::FieldTexts texts;
    const auto fields = m_context.ui.configFields();
    for (size_t i = 0; i < fields.size(); ++i)
        texts[i] = fields[i]->text();
    try {
        const ConfigPacket::Result result = ConfigPacket::build(texts);
        if (result.status == ConfigPacket::Status::IncorrectValue) {
            m_context.dialogs.messageBox(QStringLiteral("Incorrect value"),
                                         QStringLiteral("Error"));
            return;
        }
        m_context.MSComm1.setOutput(result.packet);
    } catch (const Failure &failure) {
        if (failure.number() == FailureNumber::TypeMismatch)
            m_context.dialogs.messageBox(QStringLiteral("Invalid input (00-FF)"),
                                         QStringLiteral("Error!!"));
        else
            m_context.dialogs.messageBox(QStringLiteral("Error!! ") + failure.description(),
                                         Application::title());
    }
}

void ConfigWrite::Command2_Click()
{
    const ExchangeScope exchange(m_context.state);
    Form1Ui &ui = m_context.ui;
    ui.setBusyPointer(true);
    const auto restorePointer = qScopeGuard([&ui] { ui.setBusyPointer(false); });

    ui.setStatusText(QStringLiteral("Sending Configuration..."));
    m_context.state.ReadPending = false;
    m_commandMode.EnterATMode();
    m_wait.DelaySeconds(kAfterEntry);
    SendConfigPacket();
    m_wait.DelaySeconds(kAfterPacket);
    m_commandMode.CloseATMode();
    m_context.state.ReadPending = true;
    m_wait.DelaySeconds(kAfterExit);
    ui.setStatusText(QStringLiteral("Send Complete"));
    m_readBack.Command3_Click();
}
