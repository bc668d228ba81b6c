// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "burstframer.h"
#include "eventlog.h"
#include "modemlogic.h"
#include "outputqueue.h"
#include "ptydevice.h"
#include "symlink.h"
#include "types.h"

#include <optional>
#include <string>
#include <vector>

namespace modemsim {

struct ModemSetup
{
    unsigned baud = 38400;
    Config config = kDefaultConfig;
    Faults faults;
    std::optional<std::string> link;
};

// The simulated modem: its device, framing, behaviour and pending output. Radio data it
// receives is handed back to the caller, which sends it back over the radio.
class Modem
{
public:
    Modem(ModemSetup setup, const EventLog &log);

    Modem(const Modem &) = delete;
    Modem &operator=(const Modem &) = delete;

    // Creates a fresh device; throws std::system_error if the pty cannot be made.
    void plug(TimePoint now);
    void hangup(TimePoint now);
    bool plugged() const { return device_.has_value(); }

    int fd() const;
    short pollEvents(TimePoint now) const;
    // The next moment this modem needs attention without any descriptor becoming ready.
    std::optional<TimePoint> deadline(TimePoint now) const;

    // Reads one chunk. Returns true when the chunk asks for a hang-up (fault or device error).
    bool receive();

    // Handles the bursts complete at now; returns the radio data among them.
    std::vector<Bytes> process(TimePoint now);

    // Queues bytes for the program, as if they had come in over the radio. False if unplugged.
    bool transmit(Bytes bytes, TimePoint now);

    // Writes at most one window of what is due, as much as the device takes. False on a
    // device error.
    bool flush();

    const Config &config() const { return logic_.config(); }
    void log(TimePoint at, std::string_view event, std::string_view detail = {}) const;

private:
    enum class WriteOutcome
    {
        Wrote,
        Blocked,
        Failed,
    };

    std::optional<Bytes> react(Reaction reaction, TimePoint now);
    bool rateMatches() const;
    WriteOutcome writeSome();
    void linkDevice();

    ModemSetup setup_;
    const EventLog &log_;
    ModemLogic logic_;
    BurstFramer framer_;
    OutputQueue output_;
    std::optional<PtyDevice> device_;
    std::optional<SymLink> link_;
};

} // namespace modemsim
