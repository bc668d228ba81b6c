#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the programs and tests (not the benchmarks) with AddressSanitizer
# and UndefinedBehaviorSanitizer in build-asan (Debug) and runs the whole test
# suite, headless, with leak detection. Extra arguments go to ctest (for example -E tst_mscomm).
# Address and leak reports go to build-asan/sanitizer-logs, one file per
# process, so that those of the processes the tests start (the simulated
# modem, the probes) are not lost; any report fails the run. Undefined
# behaviour stops its process at once (halt_on_error), which fails its test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-asan"
logs="$build/sanitizer-logs"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRAN_SANITIZE=ON \
    -DMIRAN_BENCHMARKS=OFF
cmake --build "$build" --parallel

rm -rf "$logs"
mkdir -p "$logs"
status=0
ASAN_OPTIONS="detect_leaks=1:log_path=$logs/asan" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir "$build" --output-on-failure "$@" || status=$?

reports=("$logs"/*)
if [ -e "${reports[0]}" ]; then
    for report in "${reports[@]}"; do
        echo "=== $report"
        cat "$report"
    done
    echo "sanitizer reports: ${#reports[@]} (in $logs)"
    [ "$status" -ne 0 ] || status=1
else
    echo "sanitizer reports: none"
fi
exit "$status"
