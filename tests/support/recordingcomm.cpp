#include "recordingcomm.h"

RecordingComm::RecordingComm(CommControl &port, QObject *parent)
    : CommControl(parent)
    , m_port(port)
{
    connect(&m_port, &CommControl::OnComm, this, &CommControl::OnComm);
    connect(&m_port, &CommControl::portLost, this, &CommControl::portLost);
}

void RecordingComm::setSettings(const QString &settings)
{
    m_port.setSettings(settings);
}

void RecordingComm::setCommPort(int portNumber)
{
    m_port.setCommPort(portNumber);
}

bool RecordingComm::portOpen() const
{
    return m_port.portOpen();
}

void RecordingComm::setPortOpen(bool open)
{
    m_port.setPortOpen(open);
}

void RecordingComm::setOutput(const QString &text)
{
    m_port.setOutput(text);
    // Recorded once the component took it: a refused write reached nothing.
    writes.append(text.toLatin1());
    if (onWrite)
        onWrite(writes.constLast());
}

QString RecordingComm::input()
{
    return m_port.input();
}

QString RecordingComm::inputWaiting()
{
    return m_port.inputWaiting();
}
