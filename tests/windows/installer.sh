#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tests the Windows installer under Wine, silently, in a new Wine prefix that
# is removed afterwards, once per install mode (/CurrentUser, then /AllUsers):
#   1. the installer puts the programs into the mode's folder, the Start-menu
#      shortcut into the mode's menu and the uninstall entry into HKCU or HKLM
#   2. miran-cli.exe --version prints the version of the setup's name, and
#      miran.exe opens its window, both from their installed place
#   3. the entry's QuietUninstallString removes the folder, the shortcut and
#      the entry
# Wine and the windows run in an Xvfb display of their own, so a desktop
# session's display is not used. It needs wine, wine64, xvfb, xauth and
# xdotool (scripts/install-deps.sh windows).
# Usage: tests/windows/installer.sh SETUP_EXE   (named miran-setup-<version>.exe)
set -euo pipefail
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 SETUP_EXE" >&2
    exit 2
fi
# shellcheck source=tests/windows/wine-session.sh
. "$(dirname "$0")/wine-session.sh"
wine_session_needs
wine_session_display "$@"

setup="$(realpath "$1")"
version="$(basename "$setup" .exe)"
version="${version#miran-setup-}"
app="MIRAN Modem Utility"
key="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$app"

work="$(mktemp -d /tmp/miran-wine.XXXXXX)"
log="$work/wine.log"
: >"$log"
wine_session_prefix "$work/prefix"
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- the end of Wine's output:" >&2
    tail -n 20 "$log" >&2
    exit 1
}
pass() { echo "ok: $*"; }
# Runs a Windows program and waits until it and all it started have ended
# (the uninstaller goes on from a copy of itself in the temporary folder).
run() {
    local status=0
    timeout 120 wine "$@" 2>>"$log" || status=$?
    timeout 60 wineserver -w || true
    return "$status"
}
reg_value() {
    run reg query "$1\\$key" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

start=$SECONDS
run wineboot --init >>"$log" || fail "wineboot --init"
drive="$WINEPREFIX/drive_c"
# The user's folder is named after $USER, or the login name; Public has no AppData.
profiles=("$drive"/users/*/AppData)
profile="${profiles[0]}"
if [ ${#profiles[@]} -ne 1 ] || [ ! -d "$profile" ]; then
    fail "no single user profile in $drive/users"
fi
pass "Wine prefix made in $((SECONDS - start)) s"

# check_mode SWITCH HIVE OTHER_HIVE FOLDER START_MENU
check_mode() {
    local mode="$1" hive="$2" other="$3" dir="$4" link="$5/$app.lnk"
    echo "== $mode"
    run "$setup" /S "$mode" >>"$log" || fail "$mode: the installer failed"
    for file in miran.exe miran-cli.exe Uninstall.exe Address.txt COPYING.txt README.txt \
        Qt6Core.dll platforms/qwindows.dll; do
        [ -f "$dir/$file" ] || fail "$mode: $dir/$file is not installed"
    done
    pass "$mode: the programs are in $dir"
    [ -f "$link" ] || fail "$mode: no shortcut $link"
    pass "$mode: the Start-menu shortcut is there"
    [ "$(reg_value "$hive" DisplayVersion)" = "$version" ] ||
        fail "$mode: no uninstall entry of version $version in $hive"
    [ -z "$(reg_value "$other" DisplayVersion)" ] || fail "$mode: an uninstall entry in $other too"
    local quiet
    quiet="$(reg_value "$hive" QuietUninstallString)"
    [[ "$quiet" == *"Uninstall.exe\" $mode /S" ]] || fail "$mode: QuietUninstallString is '$quiet'"
    pass "$mode: the uninstall entry is in $hive: $quiet"

    local out
    out="$(cd "$dir" && timeout 30 wine ./miran-cli.exe --version 2>>"$log" | tr -d '\r')" ||
        fail "$mode: miran-cli.exe --version failed"
    [[ "$out" == *"$version"* ]] || fail "$mode: miran-cli.exe --version printed '$out'"
    pass "$mode: miran-cli.exe --version printed '$out'"
    # Ended below by wineserver -k; the shell's word on that is not shown.
    (
        cd "$dir"
        wine ./miran.exe >>"$log" 2>&1 || true
    ) 2>/dev/null &
    local program=$! window
    window="$(timeout 30 xdotool search --sync --name "$app" | head -n 1)" ||
        fail "$mode: miran.exe opened no window within 30 s"
    pass "$mode: miran.exe opened its window '$(xdotool getwindowname "$window")'"
    wineserver -k
    wait "$program"

    local uninstaller args
    uninstaller="${quiet#\"}"
    uninstaller="${uninstaller%%\"*}"
    read -ra args <<<"${quiet##*\" }"
    run "$uninstaller" "${args[@]}" >>"$log" || fail "$mode: the uninstaller failed"
    [ ! -e "$dir" ] || fail "$mode: $dir is left with: $(find "$dir" -mindepth 1 -printf '%P ')"
    [ ! -e "$link" ] || fail "$mode: the shortcut is left"
    [ -z "$(reg_value "$hive" DisplayVersion)" ] || fail "$mode: the uninstall entry is left"
    pass "$mode: the uninstaller removed the folder, the shortcut and the entry"
}

check_mode /CurrentUser HKCU HKLM "$profile/Local/Programs/$app" \
    "$profile/Roaming/Microsoft/Windows/Start Menu/Programs"
check_mode /AllUsers HKLM HKCU "$drive/Program Files/$app" \
    "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs"
echo "installer tests passed in $((SECONDS - start)) s"
