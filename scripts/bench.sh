#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks and prints their tables: start-up time and memory,
# CPU while idle and while waiting, end-to-end receive throughput, and the
# terminal's receive box, the time of a miran-cli read, and a miran-cli write
# to many modems in one run against one modem's, and the same with half of
# the modems behind ser2net (when installed: scripts/install-deps.sh network)
# beside a read through RFC 2217 and a local one. Figures are only comparable
# within one run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target miran miran-cli modem-sim bench-startup bench-bare-window bench-system \
    bench-terminal

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORMTHEME

echo "## Start-up (under Xvfb)"
xvfb-run -a "$build/bench/bench-startup" "$build/src/miran" "$build/bench/bench-bare-window" "${RUNS:-7}"
echo
echo "## Running against the simulated modem"
QT_QPA_PLATFORM=offscreen "$build/bench/bench-system"
echo
echo "## Terminal receive box"
QT_QPA_PLATFORM=offscreen "$build/bench/bench-terminal"
echo
echo "## miran-cli read, one run after another"
"$root/bench/cli/read.sh" "$build/tools/modem-sim/modem-sim" "$build/src/cli/miran-cli"
echo
echo "## miran-cli write to many modems in one run"
"$root/bench/cli/many.sh" "$build/tools/modem-sim/modem-sim" "$build/src/cli/miran-cli"
echo
echo "## modems behind a serial server on the network"
"$root/bench/cli/network.sh" "$build/tools/modem-sim/modem-sim" "$build/src/cli/miran-cli"
