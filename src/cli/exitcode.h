// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command line's exit codes.
namespace ExitCode {
inline constexpr int Success = 0;
// One device of several could not have its run started.
inline constexpr int NotRun = 1;
inline constexpr int Usage = 2;
inline constexpr int NoAnswer = 3;
inline constexpr int NotTaken = 4;
inline constexpr int PortFailed = 5;
// A run ended by a signal exits with 128 and the signal's number, as shells do.
inline constexpr int SignalBase = 128;

// How bad a code is, for a run over several devices, which exits with the
// worst of theirs: a signal, a run not started (or a code not listed here),
// a refused command line, the port, a value not taken, no answer, success.
constexpr int severity(int code)
{
    switch (code) {
    case Success:
        return 0;
    case NoAnswer:
        return 1;
    case NotTaken:
        return 2;
    case PortFailed:
        return 3;
    case Usage:
        return 4;
    default:
        return code > SignalBase ? 6 : 5;
    }
}

// The worse of two codes; of two signals, the earlier.
constexpr int worse(int kept, int next)
{
    return severity(next) > severity(kept) ? next : kept;
}
} // namespace ExitCode
