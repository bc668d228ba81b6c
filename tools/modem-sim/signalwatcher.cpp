// SPDX-License-Identifier: GPL-3.0-or-later
#include "signalwatcher.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace modemsim {

namespace {

sigset_t watchedSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

SignalWatcher::SignalWatcher()
{
    const sigset_t set = watchedSignals();
    if (::sigprocmask(SIG_BLOCK, &set, &previousMask_) != 0) {
        throw std::system_error(errno, std::generic_category(), "sigprocmask");
    }
    fd_ = UniqueFd(::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!fd_.valid()) {
        throw std::system_error(errno, std::generic_category(), "signalfd");
    }
    ::signal(SIGPIPE, SIG_IGN);
}

SignalWatcher::~SignalWatcher()
{
    ::sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
}

bool SignalWatcher::take() const
{
    signalfd_siginfo info{};
    return ::read(fd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info);
}

} // namespace modemsim
