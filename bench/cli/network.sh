#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Modems behind a serial server on the network. ser2net (started here on
# 127.0.0.1, one RFC 2217 port a modem) stands in front of NETWORKED
# simulated modems (default 8), and bench/cli/many.sh writes to them together
# with its own MODEMS modems on pseudo-terminals (default 8): 16 in one run
# against 16 runs one after another and one modem alone.
# Then the time of one `miran-cli read` through RFC 2217 on loopback beside
# the same read on the modem's pseudo-terminal, median of RUNS (default 10).
# Usage: bench/cli/network.sh MODEM-SIM MIRAN-CLI
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
sim="$1"
cli="$2"
networked="${NETWORKED:-8}"
runs="${RUNS:-10}"
ser2net="$(command -v ser2net || echo /usr/sbin/ser2net)"
[ -x "$ser2net" ] || {
    echo "needs ser2net (scripts/install-deps.sh network)"
    exit 0
}
. "$here/common.sh"
start_sims "$sim" "$networked"

# A port a modem, from a random base between 20000 and 40000; a port
# another program holds makes ser2net fail to start, and the run with it.
base=$((20000 + RANDOM % 20000))
names=()
config="$scratch/ser2net.yaml"
: >"$config"
for n in $(seq "$networked"); do
    port=$((base + n))
    printf 'connection: &m%d\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%d\n  connector: serialdev,%s,38400n81,local\n' \
        "$n" "$port" "$scratch/modem$n" >>"$config"
    names+=("rfc2217://127.0.0.1:$port")
done
"$ser2net" -n -d -u -c "$config" -P "$scratch/ser2net.pid" >"$scratch/ser2net.log" 2>&1 &
pids+=($!)
last=$(printf '%04X' $((base + networked)))
for _ in $(seq 100); do
    grep -q "0100007F:$last 00000000:0000 0A" /proc/net/tcp && break
    sleep 0.1
done

echo "### $networked modems behind ser2net (RFC 2217) and ${MODEMS:-8} on pseudo-terminals"
MODEMS="${MODEMS:-8}" "$here/many.sh" "$sim" "$cli" "${names[@]}"

echo
echo "### one miran-cli read of the same modem, median of $runs"
printf '%-44s %10s\n' "read" "time (ms)"
printf '%-44s %10s\n' "pseudo-terminal (baseline)" "$(median_ms "$cli" read --device "$scratch/modem1")"
printf '%-44s %10s\n' "RFC 2217 through ser2net on loopback" "$(median_ms "$cli" read --device "${names[0]}")"
