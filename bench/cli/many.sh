#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A write to MODEMS simulated modems (default 16, each on a pseudo-terminal)
# in one run of miran-cli, against the same writes one run after another and
# against the write to one modem alone, the baseline. Prints the three times,
# each the median of RUNS runs (default 3; the runs one after another once),
# and the ratio of the parallel run to the single one.
# More devices (for example rfc2217://127.0.0.1:PORT names of modems behind a
# network serial server) join the parallel and the sequential runs when given
# after the programs or in EXTRA_DEVICES (blank-separated).
# Usage: bench/cli/many.sh MODEM-SIM MIRAN-CLI [DEVICE...]
set -euo pipefail
sim="$1"
cli="$2"
shift 2
modems="${MODEMS:-16}"
runs="${RUNS:-3}"
read -r -a extra <<<"${EXTRA_DEVICES:-}"
extra+=("$@")
. "$(dirname "$0")/common.sh"
start_sims "$sim" "$modems"
devices=()
for n in $(seq "$modems"); do
    devices+=("$scratch/modem$n")
done
devices+=("${extra[@]}")

# timed COMMAND...: runs it once with the next Tx power and adds its time in
# ms to times; a failed run ends the benchmark with its output.
power=0
times=()
timed() {
    local start output
    power=$(((power + 1) % 4))
    start=$(date +%s%N)
    if ! output=$("$@" --power "$power" 2>&1); then
        echo "failed: $* --power $power" >&2
        echo "$output" >&2
        exit 1
    fi
    times+=($((($(date +%s%N) - start) / 1000000)))
}

# median COMMAND...: sets result to the median time of RUNS runs.
median() {
    times=()
    for _ in $(seq "$runs"); do
        timed "$@"
    done
    result=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }')
}

# one_after_another: sets result to the time of one run a device, in turn.
one_after_another() {
    local start
    start=$(date +%s%N)
    for device in "${devices[@]}"; do
        timed "$cli" write --device "$device"
    done
    result=$((($(date +%s%N) - start) / 1000000))
}

device_options=()
for device in "${devices[@]}"; do
    device_options+=(--device "$device")
done

median "$cli" write --device "${devices[0]}"
single=$result
median "$cli" write "${device_options[@]}"
parallel=$result
one_after_another
sequential=$result
count=${#devices[@]}
printf '%-44s %10s\n' "miran-cli write" "time (ms)"
printf '%-44s %10s\n' "one modem (baseline)" "$single"
printf '%-44s %10s\n' "$count modems in one run, in parallel" "$parallel"
printf '%-44s %10s\n' "$count modems, one run after another" "$sequential"
awk -v p="$parallel" -v s="$single" -v q="$sequential" 'BEGIN {
    printf "parallel / one modem: %.2f (target at most 1.5); one after another / parallel: %.1f\n", p / s, q / p }'
echo "median of $runs runs each; one after another once"
