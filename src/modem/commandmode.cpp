#include "commandmode.h"

#include "platform/commcontrol.h"
#include "shell/form1ui.h"

#include <QPlainTextEdit>
#include <QScopeGuard>

CommandMode::CommandMode(const FormContext &context)
    : m_context(context)
{}

void CommandMode::EnterATMode()
{
    if (m_context.MSComm1.portOpen())
        m_context.MSComm1.setOutput(QStringLiteral("+++"));
}

void CommandMode::CloseATMode()
{
    if (m_context.MSComm1.portOpen())
        m_context.MSComm1.setOutput(QStringLiteral("---"));
}

void CommandMode::Command1_Click()
{
    sendFromButton(QStringLiteral("Entering AT Mode..."), &CommandMode::EnterATMode);
}

void CommandMode::Command4_Click()
{
    sendFromButton(QStringLiteral("Exiting AT Mode..."), &CommandMode::CloseATMode);
}

void CommandMode::sendFromButton(const QString &progress, void (CommandMode::*send)())
{
    Form1Ui &ui = m_context.ui;
    ui.setBusyPointer(true);
    const QString saved = ui.statusText();
    ui.setStatusText(progress);
    // The panel and the pointer come back also when the write fails.
    const auto restore = qScopeGuard([&ui, &saved] {
        ui.setStatusText(saved);
        ui.setBusyPointer(false);
    });
    (this->*send)();
    ui.Text14->setFocus();
}
