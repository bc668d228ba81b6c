#pragma once

#include "types.h"

#include <optional>
#include <string>

namespace modemsim {

// The modem's non-volatile memory: a text file holding the 12 configuration bytes as 24 hex
// digits (whitespace allowed).
class ConfigFile
{
public:
    explicit ConfigFile(std::string path);

    // nullopt if the file does not exist; throws OptionError if it cannot be read or parsed.
    std::optional<Config> load() const;

    // Written beside the target and renamed over it, so readers never see a partial file.
    // Throws std::system_error.
    void save(const Config &config) const;

    const std::string &path() const { return path_; }

private:
    std::string path_;
};

} // namespace modemsim
