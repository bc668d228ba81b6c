// SPDX-License-Identifier: GPL-3.0-or-later
#include "modem.h"

#include "hex.h"

#include <poll.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <system_error>

namespace modemsim {

namespace {

constexpr std::size_t kReadSize = 4096;
// Bounds the bytes handed to one write(): a pty takes a few KiB at a time, and garbling a whole
// megabyte flood on every attempt would make output quadratic.
constexpr std::size_t kWriteWindow = 16384;

std::optional<TimePoint> earlier(std::optional<TimePoint> a, std::optional<TimePoint> b)
{
    if (!a) {
        return b;
    }
    if (!b) {
        return a;
    }
    return std::min(*a, *b);
}

} // namespace

Modem::Modem(ModemSetup setup, const EventLog &log)
    : setup_(std::move(setup))
    , log_(log)
    , logic_(setup_.config, setup_.faults)
    , framer_(kBurstGap)
{}

void Modem::plug(TimePoint now)
{
    device_.emplace(setup_.baud);
    try {
        linkDevice();
    } catch (...) {
        device_.reset();
        throw;
    }
    log(now, "PLUG", device_->path());
    std::cout << "DEVICE " << device_->path() << std::endl;
}

void Modem::linkDevice()
{
    if (!setup_.link) {
        return;
    }
    link_.reset();
    link_.emplace(*setup_.link, device_->path());
}

void Modem::hangup(TimePoint now)
{
    if (!device_) {
        return;
    }
    link_.reset();
    device_.reset();
    framer_.clear();
    output_.clear();
    log(now, "HANGUP");
    // Losing the adapter powers the modem down; it comes back in data mode.
    if (logic_.mode() == Mode::Command) {
        logic_.reset();
        log(now, "MODE", "data");
    }
}

int Modem::fd() const
{
    return device_ ? device_->masterFd() : -1;
}

short Modem::pollEvents(TimePoint now) const
{
    if (!device_) {
        return 0;
    }
    return static_cast<short>(POLLIN | (output_.ready(now) ? POLLOUT : 0));
}

std::optional<TimePoint> Modem::deadline(TimePoint now) const
{
    if (!device_) {
        return std::nullopt;
    }
    // Output that is already due waits for POLLOUT, not for a timeout.
    const auto due = output_.due();
    return earlier(framer_.deadline(), due && *due > now ? due : std::nullopt);
}

bool Modem::receive()
{
    std::array<std::uint8_t, kReadSize> buffer{};
    const IoResult result = device_->read(buffer);
    const TimePoint at = Clock::now();
    if (result.error == EAGAIN || result.error == EINTR) {
        return false;
    }
    if (result.error != 0 || result.count == 0) {
        log(at, "ERROR", result.error != 0 ? std::strerror(result.error) : "end of file");
        return true;
    }
    const auto chunk = std::span<const std::uint8_t>(buffer).first(result.count);
    log(at, "RX", hex::format(chunk));
    framer_.add(chunk, at, !rateMatches());
    return logic_.onReceived(result.count);
}

std::vector<Bytes> Modem::process(TimePoint now)
{
    std::vector<Bytes> radio;
    while (auto burst = framer_.take(now)) {
        if (auto data = react(logic_.onBurst(*burst), now)) {
            radio.push_back(std::move(*data));
        }
    }
    return radio;
}

std::optional<Bytes> Modem::react(Reaction reaction, TimePoint now)
{
    using Kind = Reaction::Kind;
    switch (reaction.kind) {
    case Kind::EnterCommand:
        log(now, "MODE", "command");
        output_.push(std::move(reaction.output), now);
        break;
    case Kind::Answer:
        output_.push(std::move(reaction.output), now);
        break;
    case Kind::Configure:
        log(now, "CONFIG", hex::format(logic_.config()));
        break;
    case Kind::LeaveCommand:
        log(now, "MODE", "data");
        break;
    case Kind::RadioData:
        return std::move(reaction.data);
    case Kind::Ignored:
        log(now, "IGNORED", hex::format(reaction.data));
        break;
    case Kind::Garbled:
        log(now, "GARBLED", "rx");
        break;
    }
    return std::nullopt;
}

bool Modem::transmit(Bytes bytes, TimePoint now)
{
    if (!device_) {
        return false;
    }
    output_.push({OutputChunk{Millis{0}, std::move(bytes)}}, now);
    return true;
}

bool Modem::flush()
{
    // One window a call. The main loop reads between two windows, so bytes
    // the program sends while a long answer goes out are taken when they
    // come: read only after the whole answer, a packet and the "---" sent
    // 0.2 s after it would look like one burst.
    if (!device_ || !output_.ready(Clock::now())) {
        return true;
    }
    return writeSome() != WriteOutcome::Failed;
}

Modem::WriteOutcome Modem::writeSome()
{
    const auto pending = output_.pending();
    const auto window = pending.first(std::min(pending.size(), kWriteWindow));
    // The rate is checked at every write: the program may change it at any moment.
    const bool garbled = !rateMatches();
    const Bytes garbage = garbled ? ModemLogic::garble(window, output_.offset()) : Bytes{};
    const auto wire = garbled ? std::span<const std::uint8_t>(garbage) : window;
    const IoResult result = device_->write(wire);
    const TimePoint at = Clock::now();
    if (result.error == EAGAIN || result.error == EINTR) {
        return WriteOutcome::Blocked;
    }
    if (result.error != 0) {
        log(at, "ERROR", std::strerror(result.error));
        return WriteOutcome::Failed;
    }
    if (garbled) {
        log(at, "GARBLED", "tx");
    }
    log(at, "TX", hex::format(wire.first(result.count)));
    output_.consume(result.count, at);
    return result.count == 0 ? WriteOutcome::Blocked : WriteOutcome::Wrote;
}

bool Modem::rateMatches() const
{
    const auto rate = device_->lineRate();
    return !rate || *rate == setup_.baud;
}

void Modem::log(TimePoint at, std::string_view event, std::string_view detail) const
{
    log_.write(at, event, detail);
}

} // namespace modemsim
