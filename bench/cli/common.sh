# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the miran-cli benchmarks: a scratch folder with settings of its
# own, simulated modems that stop with the script, and a median timer.
# Sets scratch and XDG_CONFIG_HOME; the caller sets runs.

scratch=$(mktemp -d)
pids=()
cleanup() {
    [ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$scratch/config"

# start_sims MODEM-SIM COUNT: starts COUNT simulated modems, their devices
# behind $scratch/modem1 to modemCOUNT, and waits until each is there.
start_sims() {
    local sim="$1" count="$2" n
    for n in $(seq "$count"); do
        "$sim" --link "$scratch/modem$n" </dev/null >/dev/null 2>&1 &
        pids+=($!)
    done
    for n in $(seq "$count"); do
        for _ in $(seq 100); do
            [ -L "$scratch/modem$n" ] && break
            sleep 0.1
        done
        [ -L "$scratch/modem$n" ] || {
            echo "modem-sim did not come up at $scratch/modem$n" >&2
            exit 1
        }
    done
}

# median_ms COMMAND...: runs it $runs times, prints the median in ms.
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
