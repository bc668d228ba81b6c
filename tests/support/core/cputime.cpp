// SPDX-License-Identifier: GPL-3.0-or-later
#include "cputime.h"

#include <QTest>

#include <sys/resource.h>

std::chrono::duration<double> cpuTime()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &time) {
        return std::chrono::seconds(time.tv_sec) + std::chrono::microseconds(time.tv_usec);
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::chrono::duration<double> cpuTimeWhileWaiting(std::chrono::milliseconds interval)
{
    const auto before = cpuTime();
    QTest::qWait(static_cast<int>(interval.count()));
    return cpuTime() - before;
}
