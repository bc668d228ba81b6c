// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "uniquefd.h"

#include <signal.h>

namespace modemsim {

// Turns SIGINT, SIGTERM and SIGHUP into a readable descriptor for the poll loop, so shutdown runs
// the normal destructors (removing symlinks) instead of happening inside a signal handler.
// SIGPIPE is ignored so a closed stdout cannot kill the simulator.
class SignalWatcher
{
public:
    SignalWatcher();
    ~SignalWatcher();

    SignalWatcher(const SignalWatcher &) = delete;
    SignalWatcher &operator=(const SignalWatcher &) = delete;

    int fd() const { return fd_.get(); }

    // Consumes the pending signal; true if one was read.
    bool take() const;

private:
    sigset_t previousMask_{};
    UniqueFd fd_;
};

} // namespace modemsim
