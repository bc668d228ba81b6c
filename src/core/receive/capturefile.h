// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

// Writes every received byte, unchanged, to a file the user chose. What is
// written reaches the file at least once a second and when capture stops. A
// failed write ends the capture; what was already written stays in the file.
class CaptureFile final : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kFlushInterval{1000};

    explicit CaptureFile(QObject *parent = nullptr);
    ~CaptureFile() override;

    // Starts writing to the file, replacing what it held. Returns an empty
    // text, or what went wrong.
    QString start(const QString &fileName);
    // Flushes and closes. Returns an empty text, or what went wrong.
    QString stop();
    bool isActive() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }

    void write(QByteArrayView bytes);

Q_SIGNALS:
    // The capture ended by itself: a write or a flush failed.
    void failed(const QString &message);

private:
    void flush();
    QString failureText() const;
    void fail();

    QFile m_file;
    QTimer m_flushTimer;
};
