#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program and runs it against the bundled simulated modem.
# Comm port 1 is mapped to the simulator; the program keeps its settings in
# build/run/config, so your own settings are untouched. Extra arguments go to
# the simulator (for example --baud 9600 or --answer-delay 300).
# Without a display it builds the programs, says how to run them and stops.
# It needs only the packages of `scripts/install-deps.sh run`: no test is built.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
run="$build/run"

"$root/scripts/install-deps.sh" run
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    >/dev/null
cmake --build "$build" --target miran miran-cli modem-sim

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): the window would not be seen."
    echo "The program is built: $build/src/miran"
    echo "To run it, start this script in a desktop session, or log in with ssh -X."
    echo "Without a window, use the command line: $build/src/cli/miran-cli --help"
    echo "To check that it starts on a virtual screen: xvfb-run -a bash $0 (package xvfb)."
    exit 0
fi

mkdir -p "$run/config/MIRAN"
link="$run/modem1"
ini="$run/config/MIRAN/MIRAN.ini"
if ! grep -q "^\[Ports\]" "$ini" 2>/dev/null; then
    printf '[Ports]\n1=%s\n' "$link" >>"$ini"
fi

"$build/tools/modem-sim/modem-sim" --link "$link" --log "$run/modem-sim.log" "$@" \
    </dev/null &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -L "$link" ] && break
    sleep 0.1
done
echo "Simulated modem on $(readlink "$link"), mapped to comm port 1; its log: $run/modem-sim.log"

XDG_CONFIG_HOME="$run/config" "$build/src/miran"
