// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "eventlog.h"
#include "modem.h"
#include "options.h"
#include "signalwatcher.h"
#include "types.h"

#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

// The single poll() loop: the device, stdin commands, signals and timers. It sleeps in poll() with
// a timeout computed from the nearest timer, so an idle simulator uses no CPU.
class Simulator
{
public:
    explicit Simulator(Options options);

    // Runs until a signal. Throws if the first device cannot be created.
    int run();

private:
    void serviceTimers(TimePoint now);
    void pollOnce(TimePoint now);
    int timeoutMs(TimePoint now) const;
    void handleDevice(short revents);
    void handleStdin();
    void runCommand(std::string_view line);
    void flood(std::string_view argument);
    void hangup(TimePoint now);
    void plug(TimePoint now);

    Options options_;
    EventLog log_;
    SignalWatcher signals_;
    Modem modem_;
    bool stdinOpen_ = true;
    std::string stdinBuffer_;
    bool quit_ = false;
};

} // namespace modemsim
