#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the Windows build's test suites under Wine, in a new Wine prefix and an
# Xvfb display of their own, both removed afterwards:
#   1. the window-free suites (tests/windows/CMakeLists.txt lists them)
#   2. tst_localport and win_window against the simulated modem, which runs
#      here on the Linux side, on a pseudo-terminal mapped to COM1 through
#      Wine's registry, and which they ask for an unplug or a plug through
#      request files in a shared folder (tests/windows/runnermodem.h)
#   3. miran-cli.exe read, write and find through COM1
#   4. how long miran.exe takes to show its window under Wine, beside the
#      Linux build's miran in the same display
# A suite passes when it ran to its end with nothing failed and nothing
# skipped: every suite here has all it needs, so a skip is a fault of this
# script. Nothing is built; scripts/windows.sh builds both trees first.
# It needs wine, wine64, xvfb, xauth and xdotool (scripts/install-deps.sh windows).
# Usage: bash tests/windows/run.sh BUILD_WINDOWS_DIR LINUX_BUILD_DIR
# With MIRAN_WINE_RESULTS=DIR, each suite's results, the modem's event log and
# Wine's messages are copied there at the end (for a CI run's artifacts).
set -uo pipefail

if [ $# -ne 2 ] || [ ! -d "$1" ] || [ ! -d "$2" ]; then
    echo "usage: $0 BUILD_WINDOWS_DIR LINUX_BUILD_DIR" >&2
    exit 2
fi
# shellcheck source=tests/windows/wine-session.sh
. "$(dirname "$0")/wine-session.sh"
wine_session_needs
windows_build="$(realpath "$1")"
linux_build="$(realpath "$2")"
wine_session_display "$windows_build" "$linux_build"

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
suites_dir="$windows_build/tests/windows"
dist="$windows_build/dist"
sim_program="$linux_build/tools/modem-sim/modem-sim"
linux_program="$linux_build/src/miran"
for file in "$suites_dir/suites.txt" "$dist/miran.exe" "$dist/miran-cli.exe" "$sim_program" \
    "$linux_program"; do
    [ -f "$file" ] || { echo "$0: $file is missing: build both trees first" >&2; exit 2; }
done

# The configuration the end-to-end tests give the simulated modem; the suites
# compare against the same constant.
sim_config="$(sed -n 's/.*kSimConfiguration = QStringLiteral("\([0-9A-F]\{24\}\)").*/\1/p' \
    "$source_dir/tests/support/sim/modemsim.h")"
[ ${#sim_config} -eq 24 ] || { echo "$0: no kSimConfiguration in modemsim.h" >&2; exit 2; }
# A rate that is not the program's default (38400), so that choosing it counts.
sim_rate=9600

# Cases that cannot pass under Wine, whatever the program does; they run on
# Windows itself.
#   tst_localport portOpenElsewhereIsInUse: Wine opens a comm port for any
#     number of programs at once, which Windows does not
declare -A wine_excluded=(
    [tst_localport]="portOpenElsewhereIsInUse"
)

start=$SECONDS
work="$(mktemp -d "${TMPDIR:-/tmp}/miran-wine-tests.XXXXXX")"
mkdir -p "$work/shared" "$work/results" "$work/home"
mkdir -m 700 "$work/home/runtime"
log="$work/wine.log"
: >"$log"
wine_session_prefix "$work/prefix"
# The Windows platform, with FreeType: Qt 6.4's GDI font engine draws line
# edits' text invisibly under Wine.
export QT_QPA_PLATFORM="windows:fontengine=freetype"
sim_pid=
cleanup() {
    stop_sim
    wineserver -k 2>/dev/null || true
    if [ -n "${MIRAN_WINE_RESULTS:-}" ] && mkdir -p "$MIRAN_WINE_RESULTS"; then
        cp -r "$work/results" "$MIRAN_WINE_RESULTS/"
        cp "$work"/*.log "$MIRAN_WINE_RESULTS/" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- The simulated modem -----------------------------------------------------
# It keeps $link pointing at its pseudo-terminal, across unplugging and
# plugging in, and COM1 is mapped to $link. Its commands go in through a FIFO
# this shell holds open on descriptor 5.
link="$work/com1"
start_sim() {
    rm -f "$work/sim.in"
    mkfifo "$work/sim.in"
    "$sim_program" --baud "$sim_rate" --config "$sim_config" --link "$link" \
        --log "$work/sim.log" <"$work/sim.in" >"$work/sim.out" 2>>"$work/sim.err" &
    sim_pid=$!
    exec 5>"$work/sim.in"
    local waited=0
    until grep -q '^DEVICE ' "$work/sim.out" 2>/dev/null && [ -L "$link" ]; do
        sleep 0.05
        waited=$((waited + 1))
        if [ $waited -gt 200 ] || ! kill -0 "$sim_pid" 2>/dev/null; then
            echo "the simulated modem did not start: $(cat "$work/sim.err")" >&2
            return 1
        fi
    done
}
stop_sim() {
    [ -n "$sim_pid" ] || return 0
    exec 5>&-
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=
}
# Waits up to 10 s for a test of the link: -L (there) or ! -L (gone).
wait_link() {
    local i
    for ((i = 0; i < 200; i++)); do
        test "$@" "$link" && return 0
        sleep 0.05
    done
    return 1
}
# Carries out what a suite asked for in the shared folder, then answers.
serve_requests() {
    local request answered
    for request in hangup plug restart; do
        [ -e "$work/shared/$request" ] || continue
        rm -f "$work/shared/$request"
        answered=1
        case $request in
        hangup) echo hangup >&5 && wait_link ! -L || answered= ;;
        plug) echo plug >&5 && wait_link -L || answered= ;;
        restart) stop_sim && start_sim || answered= ;;
        esac
        echo "$(date +%T.%N) $request ${answered:+done}" >>"$work/requests.log"
        [ -z "$answered" ] || touch "$work/shared/$request.done"
    done
}

# Runs a Windows program with a time limit in seconds, serving the suites'
# requests while it runs; its exit code is returned. Its output goes to
# $work/out, its messages to $work/err.
run_wine() {
    local limit=$1
    shift
    wine "$@" </dev/null >"$work/out" 2>"$work/err" &
    local pid=$! ticks=0
    while kill -0 "$pid" 2>/dev/null; do
        serve_requests
        sleep 0.05
        ticks=$((ticks + 1))
        if [ $ticks -eq $((limit * 20)) ]; then
            echo "(stopped after $limit s)" >>"$work/err"
            kill "$pid" 2>/dev/null
        elif [ $ticks -gt $(((limit + 5) * 20)) ]; then
            kill -KILL "$pid" 2>/dev/null
        fi
    done
    wait "$pid"
    local status=$?
    cat "$work/err" >>"$log"
    return $status
}

# --- Results -------------------------------------------------------------------
failures=0
summary=()
# record NAME OK DETAIL SECONDS
record() {
    local verdict=PASS
    if [ "$2" != 1 ]; then
        verdict=FAIL
        failures=$((failures + 1))
    fi
    local line
    line="$(printf '%-4s  %-22s %-52s %6s s' "$verdict" "$1" "$3" "$4")"
    summary+=("$line")
    echo "$line"
}
# Seconds since a time from date +%s%N, to the tenth (DIGITS: other precision).
elapsed() {
    awk -v from="$1" -v to="$(date +%s%N)" -v digits="${2:-1}" \
        'BEGIN { printf "%." digits "f", (to - from) / 1e9 }'
}

# Runs one suite with its results in a file (Wine does not always pass a
# console program's output on) and records the counts Qt Test gives.
# A failed wait in Qt Test waits twice as long again to say how long the
# condition took, so LIMIT leaves room for that.
run_suite() {
    local suite=$1 limit=$2 exe="$suites_dir/$1.exe" result="$work/results/$1.txt"
    local args=() function started status
    if [ -n "${wine_excluded[$suite]:-}" ]; then
        # Qt Test runs the functions named on its command line.
        while read -r function; do
            function="${function%%(*}"
            [[ " ${wine_excluded[$suite]} " == *" $function "* ]] || args+=("$function")
        done < <(wine "$exe" -functions 2>>"$log" | tr -d '\r')
    fi
    started=$(date +%s%N)
    run_wine "$limit" "$exe" "${args[@]}" -o "$result,txt" -o "${result%.txt}.xml,junitxml"
    status=$?
    local totals passed=0 failed=0 skipped=0 ok=0
    totals="$(grep -a '^Totals:' "$result" 2>/dev/null | tr -d '\r')"
    if [[ "$totals" =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed,\ ([0-9]+)\ skipped ]]; then
        passed=${BASH_REMATCH[1]} failed=${BASH_REMATCH[2]} skipped=${BASH_REMATCH[3]}
        [ "$status" -eq 0 ] && [ "$failed" -eq 0 ] && [ "$skipped" -eq 0 ] &&
            [ "$passed" -gt 0 ] && ok=1
    fi
    local detail="$passed passed, $failed failed, $skipped skipped"
    [ -n "$totals" ] || detail="no results (exit code $status)"
    if [ -n "${wine_excluded[$suite]:-}" ]; then
        local left
        read -ra left <<<"${wine_excluded[$suite]}"
        detail+=" (${#left[@]} left out)"
    fi
    record "$suite" $ok "$detail" "$(elapsed "$started")"
    if [ $ok != 1 ]; then
        # Each failure or skip with the lines that belong to it.
        tr -d '\r' <"$result" 2>/dev/null |
            awk '/^(FAIL!|SKIP|QFATAL)/ { shown = 1 } /^(PASS|Totals|QDEBUG|QINFO|QWARN|QCRITICAL)/ { shown = 0 } shown' |
            sed 's/^/    /' | head -n 60
        tail -n 5 "$work/err" | sed 's/^/    /'
    fi
}

# --- miran-cli.exe through COM1 --------------------------------------------------
cli_out=
# cli EXPECTED_STATUS ARGS...: runs miran-cli.exe, true when it exited so.
cli() {
    local expected=$1 status
    shift
    run_wine 60 "$dist/miran-cli.exe" "$@"
    status=$?
    cli_out="$(tr -d '\r' <"$work/out")"
    [ "$status" -eq "$expected" ] || {
        echo "    miran-cli $* exited $status, not $expected:"
        sed 's/^/    /' <<<"$cli_out"
        return 1
    }
}
# What read prints for a configuration of 24 hex digits.
read_lines() {
    local hex=$1
    printf 'destination %s\nmodule %s\nchannel %d\npower %d\ntx-size %d\nrx-size %d' \
        "${hex:0:8}" "${hex:8:8}" "0x${hex:16:2}" "0x${hex:18:2}" "0x${hex:20:2}" "0x${hex:22:2}"
}
check_cli() {
    local started ok
    started=$(date +%s%N)
    ok=0
    cli 0 read --comm 1 --baud $sim_rate &&
        { [ "$cli_out" = "$(read_lines "$sim_config")" ] ||
            { echo "    read printed:"; sed 's/^/    /' <<<"$cli_out"; false; }; } && ok=1
    record "miran-cli read" $ok "the modem's six values, exit code 0" "$(elapsed "$started")"

    started=$(date +%s%N)
    ok=0
    local channel=12 changed
    changed="${sim_config:0:16}$(printf '%02X' $channel)${sim_config:18:6}"
    if cli 0 write --comm 1 --baud $sim_rate --channel $channel && cli 0 read --comm 1 --baud $sim_rate; then
        echo config >&5
        local held=
        for _ in $(seq 100); do
            held="$(sed -n 's/^CONFIG //p' "$work/sim.out" | tail -n 1)"
            [ -n "$held" ] && break
            sleep 0.05
        done
        if [ "$cli_out" = "$(read_lines "$changed")" ] && [ "$held" = "$changed" ]; then
            ok=1
        else
            echo "    after write --channel $channel, read printed:"
            sed 's/^/    /' <<<"$cli_out"
            echo "    and the modem holds $held, not $changed"
        fi
    fi
    record "miran-cli write" $ok "--channel $channel reaches the modem and reads back" \
        "$(elapsed "$started")"

    started=$(date +%s%N)
    ok=0
    cli 0 find --comm 1 && { [ "$cli_out" = "COM1 $sim_rate" ] ||
        { echo "    find printed: $cli_out"; false; }; } && ok=1
    record "miran-cli find" $ok "COM1 $sim_rate" "$(elapsed "$started")"

    started=$(date +%s%N)
    ok=0
    cli 5 read --comm "${absent_port#COM}" --baud $sim_rate &&
        { [[ "$(tr -d '\r' <"$work/err")" == *"There is no device $absent_port behind comm port ${absent_port#COM}."* ]] ||
            { echo "    no 'There is no device' message:"; sed 's/^/    /' "$work/err"; false; }; } && ok=1
    record "miran-cli no device" $ok "$absent_port: 'There is no device', exit code 5" \
        "$(elapsed "$started")"
}

# --- Start-up time ----------------------------------------------------------------
# Seconds from starting a program to its window being mapped (xdotool), or
# nothing when no window came within 30 s. The program is ended afterwards.
startup_time() {
    local started pid i found=
    started=$(date +%s%N)
    "$@" >>"$log" 2>&1 &
    pid=$!
    for ((i = 0; i < 1500; i++)); do
        if xdotool search --onlyvisible --name '^MIRAN Modem Utility' >/dev/null 2>&1; then
            found=$(elapsed "$started" 2)
            break
        fi
        sleep 0.02
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    # Wait for the window to go, so the next measurement does not see it.
    for ((i = 0; i < 250; i++)); do
        xdotool search --name '^MIRAN Modem Utility' >/dev/null 2>&1 || break
        sleep 0.02
    done
    echo "$found"
}
median() {
    printf '%s\n' "$@" | sort -n | sed -n "$(((${#@} + 1) / 2))p"
}
check_startup() {
    local wine_times=() linux_times=() t
    for _ in 1 2 3; do
        # Each as users start it: no platform chosen.
        t="$(startup_time env -u QT_QPA_PLATFORM wine "$dist/miran.exe")"
        [ -n "$t" ] && wine_times+=("$t")
        t="$(cd "$work/home" && startup_time env -u QT_QPA_PLATFORM HOME="$work/home" \
            XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
            XDG_RUNTIME_DIR="$work/home/runtime" "$linux_program")"
        [ -n "$t" ] && linux_times+=("$t")
    done
    local ok=0
    [ ${#wine_times[@]} -eq 3 ] && [ ${#linux_times[@]} -eq 3 ] && ok=1
    record "miran.exe start-up" $ok "window mapped in 3 of 3 starts" \
        "$(median "${wine_times[@]:-0}")"
    startup_line="start-up: miran.exe under Wine $(median "${wine_times[@]:-0}") s, miran on Linux $(median "${linux_times[@]:-0}") s (median of 3; each: Wine ${wine_times[*]:-none}, Linux ${linux_times[*]:-none})"
    echo "$startup_line"
}

# --- The run ----------------------------------------------------------------------
echo "== Wine prefix in $WINEPREFIX"
prefix_started=$(date +%s%N)
wine wineboot --init >>"$log" 2>&1 || { echo "wineboot --init failed" >&2; tail "$log" >&2; exit 1; }
start_sim || exit 1
# Wine maps comm ports when its services start: map COM1, then restart them.
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$link" /f >>"$log" 2>&1 ||
    { echo "could not map COM1" >&2; exit 1; }
wineserver -k
wineserver -w
# Kept running for the whole run, so each program starts at once. (Its
# output is a dump of its objects when it ends.)
wineserver -p >/dev/null 2>&1
wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' >>"$log" 2>&1
[ "$(readlink "$WINEPREFIX/dosdevices/com1")" = "$link" ] ||
    { echo "COM1 is not mapped to $link" >&2; ls -l "$WINEPREFIX/dosdevices" >&2; exit 1; }
# A comm port with nothing behind it: Wine maps the machine's own serial
# ports to the numbers after COM1, so the first number it left free.
absent_port=
for n in $(seq 9 255); do
    [ -e "$WINEPREFIX/dosdevices/com$n" ] || [ -L "$WINEPREFIX/dosdevices/com$n" ] ||
        { absent_port="COM$n"; break; }
done
echo "prefix ready in $(elapsed "$prefix_started") s; COM1 -> $link -> $(readlink "$link"), $absent_port has no device"
export MIRAN_WIN_PORT=COM1 MIRAN_WIN_SIM_RATE=$sim_rate MIRAN_WIN_ABSENT_PORT="$absent_port"
export MIRAN_WIN_SHARED="Z:$work/shared"

echo "== suites (left out under Wine, see the top of run.sh:$(for suite in "${!wine_excluded[@]}"; do
    for function in ${wine_excluded[$suite]}; do printf ' %s::%s' "$suite" "$function"; done
done))"
while read -r kind suite; do
    [ -n "$suite" ] || continue
    if [ ! -f "$suites_dir/$suite.exe" ]; then
        record "$suite" 0 "not built" 0
        continue
    fi
    # Each suite that uses the modem gets a new one.
    limit=60
    if [ "$kind" = modem ]; then
        limit=150
        stop_sim
        start_sim || { record "$suite" 0 "the simulated modem did not start" 0; continue; }
    fi
    run_suite "$suite" $limit
done <"$suites_dir/suites.txt"

echo "== miran-cli.exe through COM1"
stop_sim
if start_sim; then
    check_cli
else
    record "miran-cli" 0 "the simulated modem did not start" 0
fi

echo "== start-up"
check_startup

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "$startup_line"
echo "$((${#summary[@]} - failures)) of ${#summary[@]} passed; total time $((SECONDS - start)) s"
[ $failures -eq 0 ]
