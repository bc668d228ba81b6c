#include "terminalpage.h"

#include "platform/commcontrol.h"
#include "shell/form1ui.h"
#include "terminalview.h"

#include <QPlainTextEdit>

namespace {
constexpr int kLargestByte = 0xFF;
} // namespace

TerminalPage::TerminalPage(const FormContext &context)
    : m_context(context)
{}

void TerminalPage::Text14_KeyPress(int &keyAscii)
{
    // A character beyond one byte is shown in the box but cannot be sent.
    if (m_context.MSComm1.portOpen() && keyAscii > 0 && keyAscii <= kLargestByte)
        m_context.MSComm1.setOutput(QString(QChar(static_cast<char16_t>(keyAscii))));
}

void TerminalPage::Text13_GotFocus()
{
    m_context.ui.Text14->setFocus();
}

void TerminalPage::Command5_Click()
{
    m_context.ui.Text13->clearReceived();
    m_context.ui.Text14->setPlainText(QString());
    m_context.ui.Text14->setFocus();
}
