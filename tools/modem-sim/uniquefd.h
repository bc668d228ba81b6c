// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace modemsim {

// Sole owner of a file descriptor; closes it on destruction.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept;
    ~UniqueFd();

    UniqueFd(UniqueFd &&other) noexcept;
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset() noexcept;

private:
    int fd_ = -1;
};

} // namespace modemsim
