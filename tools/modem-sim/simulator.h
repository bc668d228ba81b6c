#pragma once

#include "eventlog.h"
#include "modem.h"
#include "options.h"
#include "signalwatcher.h"
#include "types.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

// The single poll() loop: devices, stdin commands, signals and timers. It sleeps in poll() with a
// timeout computed from the nearest timer, so an idle simulator uses no CPU.
class Simulator
{
public:
    explicit Simulator(Options options);

    // Runs until quit or a signal. Throws if the first devices cannot be created.
    int run();

private:
    ModemSetup setupFor(std::size_t index) const;
    void serviceTimers(TimePoint now);
    void pollOnce(TimePoint now);
    int timeoutMs(TimePoint now) const;
    void handleDevice(Modem &modem, short revents);
    void handleStdin();
    void runCommand(std::string_view line);
    void runModemCommand(Modem &modem, std::string_view command, std::string_view argument);
    void transmitCommand(Modem &modem, std::optional<Bytes> bytes);
    void route(Modem &from, Bytes data, TimePoint now);
    void hangup(Modem &modem, TimePoint now);
    void plug(Modem &modem, TimePoint now);

    Options options_;
    TimePoint start_;
    EventLog log_;
    SignalWatcher signals_;
    std::vector<std::unique_ptr<Modem>> modems_;
    std::optional<TimePoint> hangupAt_;
    bool stdinOpen_ = true;
    std::string stdinBuffer_;
    bool quit_ = false;
};

} // namespace modemsim
