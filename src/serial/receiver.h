#pragma once

#include "quiettimer.h"
#include "shell/formcontext.h"

class ReadBack;

// The receive side: every received byte goes into the receive buffer, to the
// terminal while its echo is on, and restarts the quiet-time timer; 100 ms of
// quiet ends a reply, which is decoded when a read-back waits for one.
class Receiver
{
public:
    Receiver(const FormContext &context, ReadBack &readBack);

    void MSComm1_OnComm();
    void Timer1_Timer();

    QuietTimer &Timer1() { return m_timer1; }

private:
    void restartQuietTime();

    FormContext m_context;
    ReadBack &m_readBack;
    QuietTimer m_timer1;
};
