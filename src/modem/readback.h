#pragma once

#include "shell/formcontext.h"

class CommandMode;
class QLineEdit;
class TimedWait;

// Reads the modem's configuration into the twelve fields. The request is the
// command-mode entry itself; the reply is decoded at the next quiet time.
class ReadBack
{
public:
    ReadBack(const FormContext &context, CommandMode &commandMode, TimedWait &wait);

    // The "Refresh" button; also run after every connection attempt and at
    // the end of a write.
    void Command3_Click();

    // Run by the quiet-time timer while a read-back is pending.
    void decodingPass();

    // Text1 to Text8 on focus: select all, take at most two characters.
    static void addressField_GotFocus(QLineEdit &field);

private:
    FormContext m_context;
    CommandMode &m_commandMode;
    TimedWait &m_wait;
};
