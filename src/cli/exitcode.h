#pragma once

// The command line's exit codes.
namespace ExitCode {
inline constexpr int Success = 0;
inline constexpr int Usage = 2;
inline constexpr int NoAnswer = 3;
inline constexpr int NotTaken = 4;
inline constexpr int PortFailed = 5;
// A run ended by a signal exits with 128 and the signal's number, as shells do.
inline constexpr int SignalBase = 128;
} // namespace ExitCode
