#include "receiver.h"

#include "modem/readback.h"
#include "platform/commcontrol.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "shell/form1ui.h"
#include "shell/formstate.h"
#include "terminal/terminalview.h"

#include <QLineEdit>

using namespace std::chrono_literals;

namespace {
constexpr auto kQuietTime = 100ms;
} // namespace

Receiver::Receiver(const FormContext &context, ReadBack &readBack)
    : m_context(context)
    , m_readBack(readBack)
{
    m_timer1.setInterval(kQuietTime);
    m_timer1.setEnabled(true);
}

void Receiver::restartQuietTime()
{
    m_timer1.setInterval(kQuietTime);
    m_timer1.setEnabled(true);
}

void Receiver::MSComm1_OnComm()
{
    FormState &state = m_context.state;
    m_timer1.setEnabled(false);
    restartQuietTime();

    const QString chunk = m_context.MSComm1.input();
    state.RxBuffer.store(chunk);
    if (chunk.isEmpty())
        return;
    if (state.TermEcho)
        m_context.ui.Text13->appendReceived(chunk);
    state.RxBuffer.advance();
    restartQuietTime();
    state.NoReply = false;
}

void Receiver::Timer1_Timer()
{
    FormState &state = m_context.state;
    try {
        if (state.ReadPending)
            m_readBack.decodingPass();
        m_context.ui.BRText->setText(QString::number(state.RxBuffer.count()));
        state.RxBuffer.resetCount();
        m_timer1.setEnabled(false);
    } catch (const std::exception &failure) {
        m_timer1.setEnabled(false);
        m_context.dialogs.messageBox(QStringLiteral("Error ") + describeFailure(failure),
                                     QStringLiteral("Error"));
    }
}
