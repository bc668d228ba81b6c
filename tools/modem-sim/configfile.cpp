#include "configfile.h"

#include "hex.h"
#include "options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace modemsim {

ConfigFile::ConfigFile(std::string path)
    : path_(std::move(path))
{}

std::optional<Config> ConfigFile::load() const
{
    std::ifstream in(path_);
    if (!in) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw OptionError("--config-file " + path_ + ": " + std::strerror(errno));
    }
    std::stringstream text;
    text << in.rdbuf();
    const auto config = parseConfig(text.str());
    if (!config) {
        throw OptionError("--config-file " + path_ + ": expected 24 hex digits");
    }
    return config;
}

void ConfigFile::save(const Config &config) const
{
    const std::string temp = path_ + ".new";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << hex::format(config) << '\n';
        out.close();
        if (!out) {
            throw std::system_error(errno, std::generic_category(), "writing " + temp);
        }
    }
    if (std::rename(temp.c_str(), path_.c_str()) != 0) {
        throw std::system_error(errno, std::generic_category(), "renaming " + temp);
    }
}

} // namespace modemsim
