#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program and saves a picture of each page of its window.
# Usage: scripts/snapshots.sh [folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target miran-snapshot
QT_QPA_PLATFORM=offscreen "$build/tools/snapshot/miran-snapshot" "${1:-$build/shots}"
