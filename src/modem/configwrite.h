#pragma once

#include "shell/formcontext.h"

class CommandMode;
class ReadBack;
class TimedWait;

// Writes the twelve configuration fields to the modem inside its command mode
// and reads the configuration back.
class ConfigWrite
{
public:
    ConfigWrite(const FormContext &context, CommandMode &commandMode, TimedWait &wait,
                ReadBack &readBack);

    // Builds the packet from the fields and writes it; a bad field is reported
    // in a message box and nothing is written.
    void SendConfigPacket();

    // The "Set" button; also run when a destination address is chosen.
    void Command2_Click();

private:
    FormContext m_context;
    CommandMode &m_commandMode;
    TimedWait &m_wait;
    ReadBack &m_readBack;
};
