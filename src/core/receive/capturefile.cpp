// SPDX-License-Identifier: GPL-3.0-or-later
#include "capturefile.h"

#include <QDir>

CaptureFile::CaptureFile(QObject *parent)
    : QObject(parent)
    , m_flushTimer(this)
{
    m_flushTimer.setInterval(kFlushInterval);
    connect(&m_flushTimer, &QTimer::timeout, this, &CaptureFile::flush);
}

CaptureFile::~CaptureFile()
{
    stop();
}

QString CaptureFile::start(const QString &fileName)
{
    stop();
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return QStringLiteral("Cannot write the capture file %1: %2. Choose another file.")
            .arg(QDir::toNativeSeparators(fileName), m_file.errorString());
    }
    m_flushTimer.start();
    return {};
}

QString CaptureFile::stop()
{
    m_flushTimer.stop();
    if (!m_file.isOpen())
        return {};
    const bool flushed = m_file.flush();
    const QString failure = flushed ? QString() : failureText();
    m_file.close();
    return failure;
}

void CaptureFile::write(QByteArrayView bytes)
{
    if (!m_file.isOpen() || bytes.isEmpty())
        return;
    if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
        fail();
}

void CaptureFile::flush()
{
    if (m_file.isOpen() && !m_file.flush())
        fail();
}

QString CaptureFile::failureText() const
{
    return QStringLiteral("Capture stopped: writing %1 failed (%2). What was captured before is "
                          "in the file.")
        .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString());
}

void CaptureFile::fail()
{
    const QString message = failureText();
    m_flushTimer.stop();
    // The bytes that could not be written are gone; closing must not retry them.
    m_file.close();
    Q_EMIT failed(message);
}
