// SPDX-License-Identifier: GPL-3.0-or-later
#include "ptydevice.h"

#include "linerate.h"

#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>
#include <utility>

namespace modemsim {

namespace {

struct StandardRate
{
    speed_t code;
    unsigned rate;
};

constexpr std::array kStandardRates{
    StandardRate{B50, 50},           StandardRate{B75, 75},
    StandardRate{B110, 110},         StandardRate{B134, 134},
    StandardRate{B150, 150},         StandardRate{B200, 200},
    StandardRate{B300, 300},         StandardRate{B600, 600},
    StandardRate{B1200, 1200},       StandardRate{B1800, 1800},
    StandardRate{B2400, 2400},       StandardRate{B4800, 4800},
    StandardRate{B9600, 9600},       StandardRate{B19200, 19200},
    StandardRate{B38400, 38400},     StandardRate{B57600, 57600},
    StandardRate{B115200, 115200},   StandardRate{B230400, 230400},
    StandardRate{B460800, 460800},   StandardRate{B500000, 500000},
    StandardRate{B576000, 576000},   StandardRate{B921600, 921600},
    StandardRate{B1000000, 1000000}, StandardRate{B1152000, 1152000},
    StandardRate{B1500000, 1500000}, StandardRate{B2000000, 2000000},
    StandardRate{B2500000, 2500000}, StandardRate{B3000000, 3000000},
    StandardRate{B3500000, 3500000}, StandardRate{B4000000, 4000000},
};

std::optional<speed_t> codeFor(unsigned rate)
{
    for (const auto &entry : kStandardRates) {
        if (entry.rate == rate) {
            return entry.code;
        }
    }
    return std::nullopt;
}

std::optional<unsigned> rateFor(speed_t code)
{
    for (const auto &entry : kStandardRates) {
        if (entry.code == code) {
            return entry.rate;
        }
    }
    return std::nullopt;
}

[[noreturn]] void fail(const char *what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void addFdFlags(int fd, int command, int getCommand, int flags)
{
    const int current = ::fcntl(fd, getCommand);
    if (current < 0 || ::fcntl(fd, command, current | flags) < 0) {
        fail("fcntl");
    }
}

std::string slaveName(int master)
{
    std::array<char, 128> name{};
    if (::ptsname_r(master, name.data(), name.size()) != 0) {
        fail("ptsname_r");
    }
    return name.data();
}

std::optional<unsigned> rateFromTermios(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return std::nullopt;
    }
    return rateFor(::cfgetospeed(&settings));
}

IoResult ioResult(ssize_t count)
{
    if (count < 0) {
        return {0, errno};
    }
    return {static_cast<std::size_t>(count), 0};
}

} // namespace

PtyDevice::PtyDevice(unsigned rate)
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        fail("openpty");
    }
    master_ = UniqueFd(master);
    slave_ = UniqueFd(slave);
    path_ = slaveName(master);
    addFdFlags(master, F_SETFD, F_GETFD, FD_CLOEXEC);
    addFdFlags(slave, F_SETFD, F_GETFD, FD_CLOEXEC);
    addFdFlags(master, F_SETFL, F_GETFL, O_NONBLOCK);
    configureSlave(rate);
}

void PtyDevice::configureSlave(unsigned rate) const
{
    termios settings{};
    if (::tcgetattr(slave_.get(), &settings) != 0) {
        fail("tcgetattr");
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    const auto code = codeFor(rate);
    if (code) {
        ::cfsetspeed(&settings, *code);
    }
    if (::tcsetattr(slave_.get(), TCSANOW, &settings) != 0) {
        fail("tcsetattr");
    }
    // Rates outside the B-constants need termios2.
    if (!code && !linerate::write(slave_.get(), rate)) {
        fail("setting a custom line rate");
    }
}

std::optional<unsigned> PtyDevice::lineRate() const
{
    if (auto rate = linerate::read(master_.get())) {
        return rate;
    }
    return rateFromTermios(master_.get());
}

IoResult PtyDevice::read(std::span<std::uint8_t> buffer) const
{
    return ioResult(::read(master_.get(), buffer.data(), buffer.size()));
}

IoResult PtyDevice::write(std::span<const std::uint8_t> bytes) const
{
    return ioResult(::write(master_.get(), bytes.data(), bytes.size()));
}

} // namespace modemsim
