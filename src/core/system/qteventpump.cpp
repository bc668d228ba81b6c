// SPDX-License-Identifier: GPL-3.0-or-later
#include "qteventpump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void QtEventPump::processEvents(std::chrono::milliseconds maxWait)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (maxWait <= std::chrono::milliseconds::zero())
        return;
    // The timer only wakes the loop; sleeping in it is what keeps a wait from
    // spinning the processor.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(maxWait);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    // Windows' dispatcher returns from the wait once a message arrives but
    // delivers the timer events it brought only on the next call, which
    // would sleep again after them: take them now.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
