# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# What the Windows test scripts share, sourced by them: the commands they
# need, a display of their own, and a Wine prefix that asks for nothing.

# Stops the script when a command it needs is missing.
wine_session_needs() {
    local command
    for command in wine wineserver xvfb-run xdotool; do
        command -v "$command" >/dev/null ||
            { echo "$0: needs $command (scripts/install-deps.sh windows)" >&2; exit 2; }
    done
}

# Runs the script again inside an Xvfb display of its own, with the same
# arguments, unless it already runs in one; a desktop session's display is
# not used.
wine_session_display() {
    if [ -z "${MIRAN_TEST_XVFB:-}" ]; then
        MIRAN_TEST_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
    fi
}

# A new Wine prefix in the folder: quiet, and without the offers to install
# Mono and Gecko.
wine_session_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}
