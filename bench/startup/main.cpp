// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time to the first shown window and peak memory of the program,
// beside the smallest Qt window, as medians of several runs. Run it under an
// X server (xvfb-run): it watches the server for the program's window to be
// mapped.
//   bench-startup <program> <bare window program> [runs]
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kGiveUp = std::chrono::seconds(20);
constexpr auto kSettle = std::chrono::milliseconds(500);

struct XcbDeleter
{
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, XcbDeleter>;

std::string windowName(xcb_connection_t *connection, xcb_window_t window)
{
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &free);
    if (!reply)
        return {};
    const auto *text = static_cast<const char *>(xcb_get_property_value(reply.get()));
    return std::string(text, static_cast<size_t>(xcb_get_property_value_length(reply.get())));
}

// Waits until a window whose name contains the text is mapped.
bool waitForWindow(xcb_connection_t *connection, const std::string &name,
                   Clock::time_point deadline)
{
    const int fd = xcb_get_file_descriptor(connection);
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const std::unique_ptr<xcb_generic_event_t, decltype(&free)> owned(event, &free);
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
            if (windowName(connection, map->window).find(name) != std::string::npos)
                return true;
        }
        pollfd wait{fd, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        poll(&wait, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    }
    return false;
}

long peakKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

struct Run
{
    double milliseconds = -1;
    long peak = -1;
};

Run runOnce(xcb_connection_t *connection, const char *program, const std::string &windowText)
{
    char *const argv[] = {const_cast<char *>(program), nullptr};
    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0)
        return {};
    Run run;
    if (waitForWindow(connection, windowText, start + kGiveUp)) {
        run.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        std::this_thread::sleep_for(kSettle);
        run.peak = peakKiB(pid);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void report(xcb_connection_t *connection, const char *label, const char *program,
            const std::string &windowText, int runs)
{
    std::vector<double> times;
    std::vector<double> peaks;
    for (int i = 0; i < runs; ++i) {
        const Run run = runOnce(connection, program, windowText);
        if (run.milliseconds < 0) {
            std::printf("| %s | no window within %lld s |\n", label,
                        static_cast<long long>(kGiveUp.count()));
            return;
        }
        times.push_back(run.milliseconds);
        peaks.push_back(double(run.peak));
    }
    std::printf("| %s | %.1f ms | %.1f MiB | %d |\n", label, median(times), median(peaks) / 1024,
                runs);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <program> <bare window program> [runs]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    // One connection for the whole bench: a server with no client left may
    // reset itself between two runs.
    const Connection connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get())) {
        std::fprintf(stderr, "no X server: run under xvfb-run\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection.get(), screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection.get());
    std::printf("| start-up | to first shown window (median) | peak memory (median) | runs |\n"
                "|---|---|---|---|\n");
    report(connection.get(), "the program", argv[1], "MIRAN Modem Utility", runs);
    report(connection.get(), "bare Qt window (baseline)", argv[2], "bare window", runs);
    return 0;
}
