#!/usr/bin/env bash
# The time of one `miran-cli read` against the simulated modem, median of
# RUNS (default 20) runs, for each miran-cli given (for example this build's
# and an older one's), beside the time of `miran-cli --version` as the cost
# of starting the program at all. Runs follow one another at once, as in a
# script that sets up modems in numbers.
# Usage: bench/cli/read.sh MODEM-SIM MIRAN-CLI [MIRAN-CLI...]
set -euo pipefail
sim="$1"
shift
runs="${RUNS:-20}"
scratch=$(mktemp -d)
trap 'kill "$simPid" 2>/dev/null; rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config"

"$sim" --link "$scratch/modem" </dev/null >/dev/null 2>&1 &
simPid=$!
for _ in $(seq 50); do
    [ -L "$scratch/modem" ] && break
    sleep 0.1
done

# median_ms COMMAND...: runs it RUNS times, prints the median in ms.
median_ms() {
    local times=() start
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
        times+=($((($(date +%s%N) - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n |
        awk '{ t[NR] = $1 } END { m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2; printf "%.1f", m / 1000 }'
}

printf '%-50s %12s %12s\n' "miran-cli" "read (ms)" "--version"
for cli in "$@"; do
    printf '%-50s %12s %12s\n' "$cli" "$(median_ms "$cli" read --device "$scratch/modem")" \
        "$(median_ms "$cli" --version)"
done
echo "median of $runs runs each"
