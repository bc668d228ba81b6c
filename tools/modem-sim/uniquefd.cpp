// SPDX-License-Identifier: GPL-3.0-or-later
#include "uniquefd.h"

#include <unistd.h>

#include <utility>

namespace modemsim {

UniqueFd::UniqueFd(int fd) noexcept
    : fd_(fd)
{}

UniqueFd::~UniqueFd()
{
    reset();
}

UniqueFd::UniqueFd(UniqueFd &&other) noexcept
    : fd_(std::exchange(other.fd_, -1))
{}

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    if (this != &other) {
        reset();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void UniqueFd::reset() noexcept
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace modemsim
