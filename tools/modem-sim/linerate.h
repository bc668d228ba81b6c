// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace modemsim::linerate {

// Line rate in bit/s read with termios2, so custom (BOTHER) rates come back exactly. On a pty
// master the kernel reports the slave's settings, which is how the simulator learns the rate the
// program chose. nullopt if the ioctl is not available.
std::optional<unsigned> read(int fd);

// Sets both directions to rate, custom rates included. False if the ioctl is not available.
bool write(int fd, unsigned rate);

} // namespace modemsim::linerate
