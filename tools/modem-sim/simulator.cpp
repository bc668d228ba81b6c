// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator.h"

#include "hex.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <iostream>
#include <system_error>
#include <utility>

namespace modemsim {

namespace {

constexpr std::size_t kMaxCommandFlood = 1ULL << 30;

std::string_view trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

void complain(std::string_view message)
{
    std::cerr << "modem-sim: " << message << std::endl;
}

ModemSetup setupFrom(const Options &options)
{
    return {options.baud, options.config, options.faults, options.link};
}

} // namespace

Simulator::Simulator(Options options)
    : options_(std::move(options))
    , log_(Clock::now(), options_.logFile)
    , modem_(setupFrom(options_), log_)
{}

int Simulator::run()
{
    // What the tests would otherwise have to copy: how bursts are told apart and how floods
    // are made.
    std::cout << "BURST-GAP " << kBurstGap.count() << "\nFLOOD-SEED " << std::hex << std::uppercase
              << kFloodSeed << std::dec << std::endl;
    modem_.plug(Clock::now());
    while (!quit_) {
        const TimePoint now = Clock::now();
        serviceTimers(now);
        pollOnce(now);
    }
    return 0;
}

void Simulator::serviceTimers(TimePoint now)
{
    // With a single modem, radio data comes straight back.
    for (auto &data : modem_.process(now)) {
        modem_.transmit(std::move(data), now);
    }
    if (modem_.plugged() && !modem_.flush()) {
        hangup(now);
    }
}

void Simulator::pollOnce(TimePoint now)
{
    // poll() skips negative descriptors, which keeps the indices fixed.
    std::array<pollfd, 3> fds{{{signals_.fd(), POLLIN, 0},
                               {stdinOpen_ ? STDIN_FILENO : -1, POLLIN, 0},
                               {modem_.fd(), modem_.pollEvents(now), 0}}};
    if (::poll(fds.data(), fds.size(), timeoutMs(now)) < 0) {
        if (errno == EINTR) {
            return;
        }
        throw std::system_error(errno, std::generic_category(), "poll");
    }
    if (fds[0].revents != 0 && signals_.take()) {
        quit_ = true;
        return;
    }
    if (fds[2].revents != 0) {
        handleDevice(fds[2].revents);
    }
    // Stdin last: a command may replace the device whose poll result was just handled.
    if (fds[1].revents != 0) {
        handleStdin();
    }
}

int Simulator::timeoutMs(TimePoint now) const
{
    const std::optional<TimePoint> next = modem_.deadline(now);
    if (!next) {
        return -1;
    }
    if (*next <= now) {
        return 0;
    }
    // Rounded up: waking before the deadline would only lead to another, zero-length wait.
    const auto ms = std::chrono::ceil<Millis>(*next - now).count();
    return static_cast<int>(std::min<Millis::rep>(ms, INT_MAX));
}

void Simulator::handleDevice(short revents)
{
    if ((revents & POLLIN) != 0) {
        if (modem_.receive()) {
            hangup(Clock::now());
            return;
        }
    } else if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        // Not expected while the simulator holds a slave descriptor; unplug rather than spin.
        modem_.log(Clock::now(), "ERROR", "device reported a hang-up");
        hangup(Clock::now());
        return;
    }
    if ((revents & POLLOUT) != 0 && !modem_.flush()) {
        hangup(Clock::now());
    }
}

void Simulator::handleStdin()
{
    std::array<char, 4096> buffer{};
    const auto count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (count <= 0) {
        // Tests may close stdin; the simulator keeps running until a signal.
        stdinOpen_ = false;
        runCommand(std::exchange(stdinBuffer_, {}));
        return;
    }
    stdinBuffer_.append(buffer.data(), static_cast<std::size_t>(count));
    for (auto newline = stdinBuffer_.find('\n'); newline != std::string::npos;
         newline = stdinBuffer_.find('\n')) {
        const std::string line = stdinBuffer_.substr(0, newline);
        stdinBuffer_.erase(0, newline + 1);
        runCommand(line);
    }
}

void Simulator::runCommand(std::string_view line)
{
    const std::string_view text = trim(line);
    if (text.empty()) {
        return;
    }
    const auto space = text.find(' ');
    const auto command = text.substr(0, space);
    const auto argument = space == std::string_view::npos ? "" : trim(text.substr(space + 1));
    const TimePoint now = Clock::now();
    if (command == "hangup") {
        hangup(now);
    } else if (command == "plug") {
        plug(now);
    } else if (command == "flood") {
        flood(argument);
    } else if (command == "config") {
        std::cout << "CONFIG " << hex::format(modem_.config()) << std::endl;
    } else {
        complain("unknown command '" + std::string(command) +
                 "' (hangup, plug, flood <N>, config)");
    }
}

void Simulator::flood(std::string_view argument)
{
    std::size_t count = 0;
    const auto *end = argument.data() + argument.size();
    const auto [ptr, error] = std::from_chars(argument.data(), end, count);
    if (argument.empty() || error != std::errc{} || ptr != end || count == 0 ||
        count > kMaxCommandFlood) {
        complain("flood: expected a byte count");
        return;
    }
    if (!modem_.transmit(ModemLogic::floodData(count), Clock::now())) {
        complain("the modem is unplugged");
    }
}

void Simulator::hangup(TimePoint now)
{
    modem_.hangup(now);
}

void Simulator::plug(TimePoint now)
{
    if (modem_.plugged()) {
        return;
    }
    try {
        modem_.plug(now);
    } catch (const std::exception &error) {
        complain(std::string("plug failed: ") + error.what());
    }
}

} // namespace modemsim
