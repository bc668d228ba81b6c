#pragma once

#include "shell/formcontext.h"

#include <QString>

// The modem's command mode: "+++" enters it, "---" leaves it. Nothing tracks
// which mode the modem is in; the callers place the pauses around them.
class CommandMode
{
public:
    explicit CommandMode(const FormContext &context);

    // Send their sequence when the port is open and do nothing otherwise.
    void EnterATMode();
    void CloseATMode();

    // The Terminal page's "+++" and "- - -" buttons.
    void Command1_Click();
    void Command4_Click();

private:
    void sendFromButton(const QString &progress, void (CommandMode::*send)());

    FormContext m_context;
};
