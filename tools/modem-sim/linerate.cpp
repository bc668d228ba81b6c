// SPDX-License-Identifier: GPL-3.0-or-later
// Kept apart from every file that includes <termios.h>: the kernel's <asm/termbits.h> defines its
// own struct termios and the two cannot share a translation unit.
#include "linerate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace modemsim::linerate {

std::optional<unsigned> read(int fd)
{
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0) {
        return std::nullopt;
    }
    return settings.c_ospeed;
}

bool write(int fd, unsigned rate)
{
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ospeed = rate;
    settings.c_ispeed = rate;
    return ::ioctl(fd, TCSETS2, &settings) == 0;
}

} // namespace modemsim::linerate
