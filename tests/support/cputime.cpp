#include "cputime.h"

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
