// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakecomm.h"

#include "system/failure.h"

#include <QTimer>

FakeComm::FakeComm()
{
    m_clock.start();
}

void FakeComm::setSettings(const QString &text)
{
    if (failSettings)
        throw *failSettings;
    settings = text;
}

bool FakeComm::portOpen() const
{
    if (failPortOpenQuery)
        throw *failPortOpenQuery;
    return m_open;
}

void FakeComm::setCommPort(int portNumber)
{
    commPort = portNumber;
}

void FakeComm::setPortOpen(bool open)
{
    if (open) {
        if (failOpen)
            throw *failOpen;
        ++opens;
        m_waiting.clear();
        m_readPos = 0;
    } else if (m_open) {
        ++closes;
    }
    m_open = open;
}

void FakeComm::setOutput(const QString &text)
{
    if (failOutput)
        throw *failOutput;
    if (!m_open)
        throw Failure(FailureNumber::PortNotOpen, QStringLiteral("The port is not open."));
    const QByteArray bytes = text.toLatin1();
    writes.append({m_clock.elapsed(), bytes});
    if (m_answers && bytes == "+++")
        receiveLater(m_commandReply, m_replyDelay);
    if (m_answers && bytes.size() == 12)
        m_commandReply = bytes;
    if (onWrite)
        onWrite(bytes);
}

QString FakeComm::input()
{
    if (m_readPos >= m_waiting.size())
        return {};
    const char byte = m_waiting.at(m_readPos++);
    if (m_readPos == m_waiting.size()) {
        m_waiting.clear();
        m_readPos = 0;
    }
    return QString(QChar(static_cast<char16_t>(static_cast<unsigned char>(byte))));
}

void FakeComm::receive(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_waiting += bytes;
    while (m_readPos < m_waiting.size()) {
        const qsizetype before = m_readPos;
        Q_EMIT OnComm();
        if (m_readPos == before)
            return;
    }
}

void FakeComm::receiveLater(const QByteArray &bytes, std::chrono::milliseconds delay)
{
    QTimer::singleShot(delay, this, [this, bytes] { receive(bytes); });
}

void FakeComm::answerCommandMode(const QByteArray &configuration, std::chrono::milliseconds delay)
{
    m_answers = true;
    m_commandReply = configuration;
    m_replyDelay = delay;
}

void FakeComm::unplug()
{
    m_open = false;
    Q_EMIT portLost(QStringLiteral("The connection to /dev/fake was lost."),
                    FailureNumber::DeviceLost);
}

QByteArray FakeComm::written() const
{
    QByteArray all;
    for (const Write &write : writes)
        all += write.bytes;
    return all;
}
