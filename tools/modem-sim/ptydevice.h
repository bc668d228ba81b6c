// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "uniquefd.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace modemsim {

// Result of one read() or write(): the byte count, or the errno value when error is non-zero.
struct IoResult
{
    std::size_t count = 0;
    int error = 0;
};

// One pseudo-terminal standing in for the modem's serial adapter. The simulator talks through the
// non-blocking master; it also keeps a slave descriptor open so the master never reports a hang-up
// while the program has the device closed. Destroying the object is the unplug: both descriptors
// close and the program's own slave descriptor is hung up.
class PtyDevice
{
public:
    explicit PtyDevice(unsigned rate);

    PtyDevice(const PtyDevice &) = delete;
    PtyDevice &operator=(const PtyDevice &) = delete;

    int masterFd() const { return master_.get(); }
    const std::string &path() const { return path_; }

    // The rate the slave is currently set to (by us at creation, later by the program).
    std::optional<unsigned> lineRate() const;

    IoResult read(std::span<std::uint8_t> buffer) const;
    IoResult write(std::span<const std::uint8_t> bytes) const;

private:
    void configureSlave(unsigned rate) const;

    UniqueFd master_;
    UniqueFd slave_;
    std::string path_;
};

} // namespace modemsim
