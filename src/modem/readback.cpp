#include "readback.h"

#include "commandmode.h"
#include "platform/commcontrol.h"
#include "replydecoder.h"
#include "shell/form1ui.h"
#include "shell/formstate.h"
#include "timedwait.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

namespace {
constexpr double kReplyWindow = 0.1;
} // namespace

ReadBack::ReadBack(const FormContext &context, CommandMode &commandMode, TimedWait &wait)
    : m_context(context)
    , m_commandMode(commandMode)
    , m_wait(wait)
{}

void ReadBack::Command3_Click()
{
    const ExchangeScope exchange(m_context.state);
    Form1Ui &ui = m_context.ui;
    ui.setBusyPointer(true);
    const auto restorePointer = qScopeGuard([&ui] { ui.setBusyPointer(false); });

    for (QLineEdit *field : ui.configFields())
        field->setText(QStringLiteral("??"));
    ui.BRText->setText(QStringLiteral("0"));
    ui.setStatusText(QStringLiteral("Requesting Configuration..."));
    m_context.state.NoReply = true;
    m_context.state.ReadPending = true;

    m_commandMode.EnterATMode();
    m_wait.DelaySeconds(kReplyWindow);
    m_commandMode.CloseATMode();

    ui.setStatusText(m_context.state.NoReply
                         ? QStringLiteral("No Response from Modem. Check Comms Port & Baud rate")
                         : QStringLiteral("Request Complete"));
}

void ReadBack::decodingPass()
{
    const auto texts = ReplyDecoder::decode(m_context.state.RxBuffer);
    const auto fields = m_context.ui.configFields();
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i]->setText(texts[i]);
    if (m_context.MSComm1.portOpen())
        m_context.ui.Command2->setEnabled(true);
    m_context.state.ReadPending = false;
}

void ReadBack::addressField_GotFocus(QLineEdit &field)
{
    field.setMaxLength(2);
    field.selectAll();
    // A click places the caret after the focus arrives; select again once it
    // has, so typing still replaces the whole byte.
    QTimer::singleShot(0, &field, [&field] { field.selectAll(); });
}
