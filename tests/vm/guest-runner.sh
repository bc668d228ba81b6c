#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the test machine, chrooted into the host's root: reads one
# request a line from the console and answers on it. The host drives the
# whole test through it (tests/vm/testmachine.cpp).
#   start ID SECONDS COMMAND  runs COMMAND under bash in the background, at
#                             most SECONDS; its output goes to RESULTS/ID.out
#                             and RESULTS/ID.err
#   quit                      ends the job; the machine powers off
# Each command ends with "@@ done ID EXIT REAL USER SYSTEM" (seconds).
# Usage: guest-runner.sh RESULTS
results="$1"
# The host's root is read-only here; /run is the machine's own.
export TMPDIR=/run/tmp HOME=/run/home XDG_RUNTIME_DIR=/run/runtime XDG_CONFIG_HOME=/run/home/.config
export QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME= LANG=C.UTF-8
# udev's tools refuse to act in a chroot unless told it is meant.
export SYSTEMD_IGNORE_CHROOT=1
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
stty -echo 2>/dev/null

/lib/systemd/systemd-udevd --daemon >/dev/null 2>&1
udevadm trigger --action=add >/dev/null 2>&1
udevadm settle --timeout=30

execute() {
    local id="$1" limit="$2" command="$3" status
    {
        TIMEFORMAT='%R %U %S'
        time timeout -k 5 "$limit" bash -c "$command" >"$results/$id.out" 2>"$results/$id.err" </dev/null
    } 2>"$results/$id.time"
    status=$?
    echo "@@ done $id $status $(tail -n 1 "$results/$id.time")"
}

echo "@@ ready"
while IFS= read -r line; do
    line="${line%$'\r'}"
    read -r verb id limit command <<<"$line"
    case "$verb" in
    start) execute "$id" "$limit" "$command" & ;;
    quit) break ;;
    *) echo "@@ unknown request: $line" ;;
    esac
done
wait
