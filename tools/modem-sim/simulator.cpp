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

constexpr std::size_t kPollFixed = 2; // signals, stdin
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

std::optional<Bytes> parseSend(std::string_view argument)
{
    auto bytes = hex::parse(argument);
    if (!bytes || bytes->empty()) {
        complain("send: expected hex bytes");
        return std::nullopt;
    }
    return bytes;
}

std::optional<Bytes> parseFlood(std::string_view argument)
{
    std::size_t count = 0;
    const auto *end = argument.data() + argument.size();
    const auto [ptr, error] = std::from_chars(argument.data(), end, count);
    if (argument.empty() || error != std::errc{} || ptr != end || count == 0 ||
        count > kMaxCommandFlood) {
        complain("flood: expected a byte count");
        return std::nullopt;
    }
    return ModemLogic::floodData(count);
}

} // namespace

Simulator::Simulator(Options options)
    : options_(std::move(options))
    , start_(Clock::now())
    , log_(start_, options_.logFile)
{
    for (std::size_t i = 0; i < options_.modemCount; ++i) {
        modems_.push_back(std::make_unique<Modem>(setupFor(i), log_));
    }
    if (options_.hangupAt) {
        hangupAt_ = start_ + *options_.hangupAt;
    }
}

ModemSetup Simulator::setupFor(std::size_t index) const
{
    const ModemOptions &modem = options_.modems[index];
    ModemSetup setup;
    setup.index = index;
    setup.baud = options_.baudOf(index);
    setup.burstGap = options_.burstGap;
    setup.link = modem.link;
    setup.configFile = modem.configFile;
    if (index == 0) {
        setup.faults = options_.faults;
    }
    // An explicit --config beats the stored file, which beats the factory default.
    std::optional<Config> stored;
    if (modem.configFile) {
        stored = ConfigFile(*modem.configFile).load();
    }
    setup.config = modem.config.value_or(stored.value_or(kDefaultConfig));
    return setup;
}

int Simulator::run()
{
    for (auto &modem : modems_) {
        modem->plug(Clock::now());
    }
    while (!quit_) {
        const TimePoint now = Clock::now();
        serviceTimers(now);
        if (!quit_) {
            pollOnce(now);
        }
    }
    return 0;
}

void Simulator::serviceTimers(TimePoint now)
{
    if (hangupAt_ && *hangupAt_ <= now) {
        hangupAt_.reset();
        hangup(*modems_.front(), now);
    }
    for (auto &modem : modems_) {
        if (!modem->plugged() && modem->replugDue(now)) {
            plug(*modem, now);
        }
        for (auto &data : modem->process(now)) {
            route(*modem, std::move(data), now);
        }
    }
    for (auto &modem : modems_) {
        if (modem->plugged() && !modem->flush()) {
            hangup(*modem, now);
        }
    }
}

void Simulator::pollOnce(TimePoint now)
{
    std::vector<pollfd> fds;
    fds.push_back({signals_.fd(), POLLIN, 0});
    // poll() skips negative descriptors, which keeps the indices fixed.
    fds.push_back({stdinOpen_ ? STDIN_FILENO : -1, POLLIN, 0});
    for (const auto &modem : modems_) {
        fds.push_back({modem->fd(), modem->pollEvents(now), 0});
    }
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
    for (std::size_t i = 0; i < modems_.size(); ++i) {
        if (fds[kPollFixed + i].revents != 0) {
            handleDevice(*modems_[i], fds[kPollFixed + i].revents);
        }
    }
    // Stdin last: a command may replace a device whose poll result was just handled.
    if (fds[1].revents != 0) {
        handleStdin();
    }
}

int Simulator::timeoutMs(TimePoint now) const
{
    std::optional<TimePoint> next = hangupAt_;
    for (const auto &modem : modems_) {
        const auto deadline = modem->deadline(now);
        if (deadline && (!next || *deadline < *next)) {
            next = deadline;
        }
    }
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

void Simulator::handleDevice(Modem &modem, short revents)
{
    if ((revents & POLLIN) != 0) {
        if (modem.receive()) {
            hangup(modem, Clock::now());
            return;
        }
    } else if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        // Not expected while the simulator holds a slave descriptor; unplug rather than spin.
        modem.log(Clock::now(), "ERROR", "device reported a hang-up");
        hangup(modem, Clock::now());
        return;
    }
    if ((revents & POLLOUT) != 0 && !modem.flush()) {
        hangup(modem, Clock::now());
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
        // Tests may close stdin; the simulator keeps running until quit or a signal.
        stdinOpen_ = false;
        runCommand(std::exchange(stdinBuffer_, {}));
        return;
    }
    stdinBuffer_.append(buffer.data(), static_cast<std::size_t>(count));
    for (auto newline = stdinBuffer_.find('\n'); newline != std::string::npos && !quit_;
         newline = stdinBuffer_.find('\n')) {
        const std::string line = stdinBuffer_.substr(0, newline);
        stdinBuffer_.erase(0, newline + 1);
        runCommand(line);
    }
}

void Simulator::runCommand(std::string_view line)
{
    std::string_view text = trim(line);
    if (text.empty()) {
        return;
    }
    std::size_t target = 0;
    if (text.starts_with("M2 ") || text.starts_with("m2 ")) {
        target = 1;
        text = trim(text.substr(3));
    }
    if (target >= modems_.size()) {
        complain("there is no modem 2 (start with --modems 2)");
        return;
    }
    const auto space = text.find(' ');
    const auto command = text.substr(0, space);
    const auto argument = space == std::string_view::npos ? "" : trim(text.substr(space + 1));
    runModemCommand(*modems_[target], command, argument);
}

void Simulator::runModemCommand(Modem &modem, std::string_view command, std::string_view argument)
{
    const TimePoint now = Clock::now();
    if (command == "quit") {
        quit_ = true;
    } else if (command == "hangup") {
        hangup(modem, now);
    } else if (command == "plug") {
        if (!modem.plugged()) {
            plug(modem, now);
        }
    } else if (command == "send") {
        transmitCommand(modem, parseSend(argument));
    } else if (command == "flood") {
        transmitCommand(modem, parseFlood(argument));
    } else if (command == "config") {
        std::cout << (modem.index() == 0 ? "CONFIG " : "CONFIG2 ") << hex::format(modem.config())
                  << std::endl;
    } else {
        complain("unknown command '" + std::string(command) +
                 "' (hangup, plug, send <hex>, flood <N>, config, quit)");
    }
}

void Simulator::transmitCommand(Modem &modem, std::optional<Bytes> bytes)
{
    if (bytes && !modem.transmit(std::move(*bytes), Clock::now())) {
        complain("the modem is unplugged");
    }
}

void Simulator::route(Modem &from, Bytes data, TimePoint now)
{
    if (modems_.size() == 1) {
        from.transmit(std::move(data), now);
        return;
    }
    Modem &to = *modems_[1 - from.index()];
    if (!ModemLogic::delivers(from.config(), to.config()) || !to.plugged()) {
        from.log(now, "DROP", hex::format(data));
        return;
    }
    to.transmit(std::move(data), now);
}

void Simulator::hangup(Modem &modem, TimePoint now)
{
    if (!modem.plugged()) {
        return;
    }
    modem.hangup(now);
    if (options_.replugAfter) {
        modem.scheduleReplug(now + *options_.replugAfter);
    }
}

void Simulator::plug(Modem &modem, TimePoint now)
{
    try {
        modem.plug(now);
    } catch (const std::exception &error) {
        complain(std::string("plug failed: ") + error.what());
    }
}

} // namespace modemsim
