#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a
# bounded time, starting from its seed corpus.
# Usage: scripts/fuzz.sh [seconds per target, default 30]
# New inputs are kept in build-fuzz/corpus/<target>, crashes in
# build-fuzz/crashes/<target>. Exits non-zero when any target crashes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-30}"
targets=(fuzz_decimalfield fuzz_hexfield fuzz_configpacket fuzz_addresslines fuzz_addressentry
    fuzz_telnetstream fuzz_receivestore)

"$root/scripts/install-deps.sh"
missing=()
for package in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DMIRAN_FUZZ=ON >/dev/null
cmake --build "$build" --target miran_fuzzers

failed=0
summary=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    crashes="$build/crashes/$target"
    log="$build/logs/$target.log"
    mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
    status=ok
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$corpus" "$root/tests/fuzz/corpus/$target" \
        >"$log" 2>&1 || status=CRASH
    [ "$status" = ok ] || failed=1
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    took="$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\2/p' "$log" | tail -n 1)"
    summary+=("$(printf '%-20s %-6s %12s runs %6s s   %s' "$target" "$status" "${runs:-?}" \
        "${took:-?}" "$log")")
done
printf '%s\n' "${summary[@]}"
exit "$failed"
