#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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
. "$(dirname "$0")/common.sh"
start_sims "$sim" 1

printf '%-50s %12s %12s\n' "miran-cli" "read (ms)" "--version"
for cli in "$@"; do
    printf '%-50s %12s %12s\n' "$cli" "$(median_ms "$cli" read --device "$scratch/modem1")" \
        "$(median_ms "$cli" --version)"
done
echo "median of $runs runs each"
