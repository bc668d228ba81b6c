// SPDX-License-Identifier: GPL-3.0-or-later
#include "clicomm.h"

template<typename Step>
void CliComm::opening(Step step)
{
    try {
        step();
    } catch (const Failure &failure) {
        m_openFailure = failure;
        throw;
    }
}

void CliComm::setSettings(const QString &settings)
{
    opening([&] { CommRelay::setSettings(settings); });
}

void CliComm::setCommPort(int portNumber)
{
    opening([&] { CommRelay::setCommPort(portNumber); });
}

void CliComm::setPortOpen(bool open)
{
    if (open)
        m_openFailure.reset();
    opening([&] { CommRelay::setPortOpen(open); });
}
