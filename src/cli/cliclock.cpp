#include "cliclock.h"

double CliClock::seconds() const
{
    if (m_runOut)
        m_leaps += kLeap;
    return m_steady.seconds() + m_leaps;
}
