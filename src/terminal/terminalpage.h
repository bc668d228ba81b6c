#pragma once

#include "shell/formcontext.h"

// The Terminal page's typing box, receive box and "Clear" button.
class TerminalPage
{
public:
    explicit TerminalPage(const FormContext &context);

    // One byte per key press that yields a character, sent while the port is
    // open; the box still handles the key. No local echo.
    void Text14_KeyPress(int &keyAscii);
    // The receive box never keeps the focus: the caret goes to the typing box.
    void Text13_GotFocus();
    void Command5_Click();

private:
    FormContext m_context;
};
