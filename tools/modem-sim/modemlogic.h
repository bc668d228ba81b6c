// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "burstframer.h"
#include "outputqueue.h"
#include "types.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace modemsim {

enum class Mode
{
    Data,
    Command,
};

// Pause the answer after its first offset bytes.
struct SplitPoint
{
    std::size_t offset = 0;
    Millis gap{0};
};

// A configuration byte the modem limits to low..high when a packet sets it:
// a value outside is clamped into the range, or with refuse the old value stays.
struct Limit
{
    std::size_t byte = 0;
    std::uint8_t low = 0;
    std::uint8_t high = 0xFF;
    bool refuse = false;
};

// Misbehaviour the program's tests can ask for.
struct Faults
{
    bool answer = true;
    Millis answerDelay{5};
    std::size_t answerLength = kConfigSize;
    std::vector<SplitPoint> splits;             // increasing offsets
    std::optional<std::size_t> flood;           // answer this many random bytes instead
    std::optional<std::uint64_t> hangupAfterRx; // unplug once this many bytes arrived
    std::vector<Limit> limits;                  // bytes a packet cannot set freely
};

// What one burst made the modem do.
struct Reaction
{
    enum class Kind
    {
        EnterCommand, // output: the answer
        Answer,       // "+++" again in command mode; output: the answer
        Configure,    // the configuration was replaced
        LeaveCommand,
        RadioData, // data: bytes to transmit over the radio
        Ignored,   // data: a command-mode burst the modem does not understand
        Garbled,   // data: received at the wrong line rate, not understood
    };

    Kind kind = Kind::Ignored;
    std::vector<OutputChunk> output;
    Bytes data;
};

// The modem's behaviour without any I/O: bursts in, reactions out.
class ModemLogic
{
public:
    ModemLogic(const Config &config, Faults faults);

    Reaction onBurst(const Burst &burst);

    // Counts received bytes; true exactly once, when the total reaches the hang-up threshold.
    bool onReceived(std::size_t count);

    // Power loss: the modem starts again in data mode with its stored configuration.
    void reset() { mode_ = Mode::Data; }

    Mode mode() const { return mode_; }
    const Config &config() const { return config_; }

    // The reply to "+++", cut into chunks by the configured faults.
    std::vector<OutputChunk> answer() const;

    // What the program receives instead of bytes when the rates differ. offset is the position of
    // bytes[0] in the transmission, so a write split in parts garbles the same as one write.
    static Bytes garble(std::span<const std::uint8_t> bytes, std::size_t offset);

    // Deterministic pseudo-random bytes (xorshift32 from kFloodSeed, top byte of each step).
    static Bytes floodData(std::size_t count);

private:
    Reaction onDataBurst(const Bytes &bytes);
    Reaction onCommandBurst(const Bytes &bytes);
    Bytes answerBytes() const;
    void configure(const Bytes &packet);
    std::vector<OutputChunk> split(const Bytes &bytes) const;

    Config config_;
    Faults faults_;
    Mode mode_ = Mode::Data;
    std::uint64_t received_ = 0;
};

} // namespace modemsim
