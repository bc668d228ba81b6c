// SPDX-License-Identifier: GPL-3.0-or-later
#include "clifanout.h"

#include "system/interruptwatcher.h"

#include <QEventLoop>

CliFanOut::CliFanOut(QTextStream &err, InterruptWatcher &interrupts, QObject *parent)
    : QObject(parent)
    , m_err(err)
    , m_interrupts(interrupts)
{}

QList<CliChild::Result> CliFanOut::run(const QString &program, const QStringList &arguments,
                                       const QStringList &devices, const QByteArray &input)
{
    // No session runs in this process, so a loop of its own waits for them.
    QEventLoop loop;
    for (const QString &device : devices) {
        m_children.push_back(std::make_unique<CliChild>(device, m_err));
        connect(m_children.back().get(), &CliChild::ended, &loop, [this, &loop] {
            if (allEnded())
                loop.quit();
        });
    }
    const QMetaObject::Connection passOn =
        connect(&m_interrupts, &InterruptWatcher::interrupted, this, [this](int signalNumber) {
            for (const auto &child : m_children)
                child->passOn(signalNumber);
        });
    for (const auto &child : m_children)
        child->start(program, arguments, input);
    if (!allEnded())
        loop.exec();
    disconnect(passOn);

    QList<CliChild::Result> results;
    for (const auto &child : m_children)
        results.append(child->result());
    m_children.clear();
    return results;
}

bool CliFanOut::allEnded() const
{
    return std::all_of(m_children.cbegin(), m_children.cend(),
                       [](const auto &child) { return child->hasEnded(); });
}
