#pragma once

#include "serial/rxring.h"

#include <QString>

// The window's form-level variables, shared by its handlers. They live as long
// as the window.
struct FormState
{
    // Received characters of the current reply, one per slot; its write index
    // is RxCount.
    RxRing RxBuffer;
    // The next quiet time decodes the buffer into the twelve fields.
    bool ReadPending = false;
    // True from a read-back request until a receive event delivers a
    // character.
    bool NoReply = true;
    // Received characters are appended to the terminal's receive box.
    bool TermEcho = false;
    QString PortSetting;
    QString BaudSetting;
    QString AddressSetting;
    // How many modem exchanges (write, read-back) are running; while one
    // waits, clicks that would start another are refused.
    int exchangeDepth = 0;

    bool exchangeRunning() const { return exchangeDepth > 0; }
};

// Marks a modem exchange as running for as long as it lives.
class ExchangeScope
{
public:
    explicit ExchangeScope(FormState &state)
        : m_state(state)
    {
        ++m_state.exchangeDepth;
    }
    ~ExchangeScope() { --m_state.exchangeDepth; }

    ExchangeScope(const ExchangeScope &) = delete;
    ExchangeScope &operator=(const ExchangeScope &) = delete;

private:
    FormState &m_state;
};
