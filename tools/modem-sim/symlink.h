// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace modemsim {

// A symbolic link that exists exactly as long as this object: created (or atomically replaced)
// on construction, removed on destruction unless something else has taken the name since.
class SymLink
{
public:
    SymLink(std::string linkPath, std::string target);
    ~SymLink();

    SymLink(const SymLink &) = delete;
    SymLink &operator=(const SymLink &) = delete;

    const std::string &path() const { return linkPath_; }

private:
    std::string linkPath_;
    std::string target_;
};

} // namespace modemsim
