// SPDX-License-Identifier: GPL-3.0-or-later
#include "eventlog.h"

#include "options.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace modemsim {

namespace {

std::string timestamp(std::chrono::microseconds sinceStart)
{
    const long long micros = sinceStart.count();
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%lld.%06lld", micros / 1000000, micros % 1000000);
    return text.data();
}

} // namespace

EventLog::EventLog(TimePoint start, const std::optional<std::string> &path)
    : start_(start)
{
    if (!path) {
        return;
    }
    file_.reset(std::fopen(path->c_str(), "w"));
    if (!file_) {
        throw OptionError("--log " + *path + ": " + std::strerror(errno));
    }
}

void EventLog::write(TimePoint at, std::string_view event, std::string_view detail) const
{
    if (!file_) {
        return;
    }
    std::string line =
        timestamp(std::chrono::duration_cast<std::chrono::microseconds>(at - start_));
    line += ' ';
    line += event;
    if (!detail.empty()) {
        line += ' ';
        line += detail;
    }
    line += '\n';
    std::fputs(line.c_str(), file_.get());
    std::fflush(file_.get());
}

} // namespace modemsim
