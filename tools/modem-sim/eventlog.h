// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "types.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace modemsim {

// Event log for the tests: one line per event, "<seconds.micros> <EVENT> [detail]", flushed
// at once so a reader tailing the file sees events as they happen. Without a path it discards.
class EventLog
{
public:
    EventLog(TimePoint start, const std::optional<std::string> &path);

    void write(TimePoint at, std::string_view event, std::string_view detail = {}) const;

private:
    struct FileCloser
    {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };

    TimePoint start_;
    std::unique_ptr<std::FILE, FileCloser> file_;
};

} // namespace modemsim
