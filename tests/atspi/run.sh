#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's accessibility checks over the real AT-SPI bus (test_window.py),
# in a session of their own: a virtual screen (Xvfb), a D-Bus session, and the
# accessibility bus and registry that session starts when first asked; all
# of it, and the folders it used, gone at the end.
# Usage: run.sh [--dump]  (--dump: only what a reader finds for each control)
# MIRAN_PROGRAM and MIRAN_MODEM_SIM name the window program and the simulated
# modem; ctest sets both. Without a package it needs, it skips (exit 77).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
: "${MIRAN_PROGRAM:?names the window program}" "${MIRAN_MODEM_SIM:?names the simulated modem}"

skip() {
    echo "SKIP   : atspi_window $1"
    exit 77
}

command -v Xvfb >/dev/null || skip "needs xvfb (scripts/install-deps.sh test)"
command -v dbus-run-session >/dev/null || skip "needs dbus-daemon (scripts/install-deps.sh test)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "needs at-spi2-core (scripts/install-deps.sh test)"
# Debian's python3-gi is the system Python's; a python3 found earlier on the
# PATH (a virtual environment) may lack it.
python=""
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import gi; gi.require_version("Atspi", "2.0")
from gi.repository import Atspi' 2>/dev/null; then
        python="$candidate"
        break
    fi
done
[ -n "$python" ] || skip "needs python3-gi and gir1.2-atspi-2.0 (scripts/install-deps.sh test)"

session="$(mktemp -d "${TMPDIR:-/tmp}/miran-atspi.XXXXXX")"
xvfb=""
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$session"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# Xvfb picks a free display itself and writes its number once it listens.
# Without -noreset it starts afresh whenever its last client leaves (the bus
# launcher, early on) and refuses whoever connects meanwhile.
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$session/display" \
    2>"$session/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
    [ -s "$session/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || { cat "$session/xvfb.log" >&2; exit 1; }
    sleep 0.05
done
[ -s "$session/display" ] || { echo "Xvfb gave no display within 10 s" >&2; exit 1; }

# The bus launcher keeps its socket in the runtime folder; nothing of the
# session lands in the user's own folders (nor Python's caches beside the
# scripts), and GSettings needs no service.
mkdir -m 0700 "$session/runtime"
display="$(cat "$session/display")"
export DISPLAY=":$display" XDG_RUNTIME_DIR="$session/runtime" XDG_CACHE_HOME="$session/cache" \
    XDG_CONFIG_HOME="$session/config" GSETTINGS_BACKEND=memory PYTHONDONTWRITEBYTECODE=1
unset WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS
# The session bus ends with the checks; the accessibility bus and the
# registry end with it, and are let go before the screen does.
status=0
dbus-run-session -- "$python" "$here/test_window.py" "$@" || status=$?
for _ in $(seq 100); do
    compgen -G "$XDG_RUNTIME_DIR/at-spi/bus*" >/dev/null || break
    sleep 0.05
done
exit "$status"
