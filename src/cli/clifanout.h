// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clichild.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

class InterruptWatcher;

// Runs one command on several devices at once, each in a child process of
// its own: this program again, with the same arguments and that one device.
// A modem session waits in nested event loops, so two cannot share a thread;
// processes also keep one device's failure from touching another's run. A
// signal is passed on to every child still running, and the run waits for
// all of them to end, so that each takes its modem out of command mode.
class CliFanOut final : public QObject
{
    Q_OBJECT

public:
    CliFanOut(QTextStream &err, InterruptWatcher &interrupts, QObject *parent = nullptr);

    // Runs program with the arguments and one --device each, all at once, and
    // gives each device's result in the order of the devices; input is each
    // one's standard input.
    QList<CliChild::Result> run(const QString &program, const QStringList &arguments,
                                const QStringList &devices, const QByteArray &input);

private:
    bool allEnded() const;

    QTextStream &m_err;
    InterruptWatcher &m_interrupts;
    std::vector<std::unique_ptr<CliChild>> m_children;
};
