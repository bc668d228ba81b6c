// SPDX-License-Identifier: GPL-3.0-or-later
#include "interruptwatcher.h"

void InterruptWatcher::take(int signalNumber)
{
    if (m_received != 0)
        return;
    m_received = signalNumber;
    Q_EMIT interrupted(m_received);
}
