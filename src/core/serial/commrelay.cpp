// SPDX-License-Identifier: GPL-3.0-or-later
#include "commrelay.h"

CommRelay::CommRelay(CommControl &port, QObject *parent)
    : CommControl(parent)
    , m_port(port)
{
    connect(&m_port, &CommControl::OnComm, this, &CommControl::OnComm);
    connect(&m_port, &CommControl::portLost, this, &CommControl::portLost);
}

void CommRelay::setSettings(const QString &settings)
{
    m_port.setSettings(settings);
}

void CommRelay::setCommPort(int portNumber)
{
    m_port.setCommPort(portNumber);
}

bool CommRelay::portOpen() const
{
    return m_port.portOpen();
}

void CommRelay::setPortOpen(bool open)
{
    m_port.setPortOpen(open);
}

void CommRelay::setOutput(const QString &text)
{
    m_port.setOutput(text);
}

QString CommRelay::input()
{
    return m_port.input();
}

QString CommRelay::inputWaiting()
{
    // A burst read stays one read.
    return m_port.inputWaiting();
}
