// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

// One device's run of a run over several: this program again, in a child
// process, with that device alone. Its messages go on to err as they come,
// each line naming the device; its results are kept until it ends.
class CliChild final : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        QString device;
        int exitCode = 0;
        // Its standard output, whole.
        QByteArray out;
        // Its messages, without the program's name in front.
        QStringList messages;
    };

    CliChild(const QString &device, QTextStream &err, QObject *parent = nullptr);
    ~CliChild() override;

    CliChild(const CliChild &) = delete;
    CliChild &operator=(const CliChild &) = delete;

    // Starts the program with these arguments and the device's --device;
    // input is its standard input.
    void start(const QString &program, const QStringList &arguments, const QByteArray &input);
    // Passes a signal on, so that the run takes its modem out of command mode
    // and ends as it would on its own.
    void passOn(int signalNumber);

    bool hasEnded() const { return m_ended; }
    const Result &result() const { return m_result; }

Q_SIGNALS:
    void ended();

private:
    void readMessages();
    void tell(const QString &line);
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);
    void end(int exitCode);

    QProcess m_process;
    QTextStream &m_err;
    QByteArray m_partialLine;
    Result m_result;
    bool m_ended = false;
};
