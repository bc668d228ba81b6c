// SPDX-License-Identifier: GPL-3.0-or-later
#include "symlink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <system_error>

namespace modemsim {

namespace {

[[noreturn]] void fail(const std::string &what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// Refuse to clobber a real file that happens to have the requested name.
void checkReplaceable(const std::string &path)
{
    struct stat info
    {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        errno = EEXIST;
        fail("--link " + path + " exists and is not a symlink");
    }
}

} // namespace

SymLink::SymLink(std::string linkPath, std::string target)
    : linkPath_(std::move(linkPath))
    , target_(std::move(target))
{
    checkReplaceable(linkPath_);
    // Build the new link beside the old one and rename it over, so a reader never sees the name
    // missing or half made.
    const std::string temp = linkPath_ + ".new." + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target_.c_str(), temp.c_str()) != 0) {
        fail("symlink " + temp);
    }
    if (::rename(temp.c_str(), linkPath_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        fail("rename " + temp + " to " + linkPath_);
    }
}

SymLink::~SymLink()
{
    std::array<char, 4096> buffer{};
    const auto length = ::readlink(linkPath_.c_str(), buffer.data(), buffer.size());
    if (length < 0) {
        return;
    }
    if (std::string_view(buffer.data(), static_cast<std::size_t>(length)) == target_) {
        ::unlink(linkPath_.c_str());
    }
}

} // namespace modemsim
