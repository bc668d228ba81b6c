#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Windows installer OUTDIR/miran-setup-<version>.exe of the folder
# DIST that the Windows build writes (the programs, their DLLs and texts).
# It needs makensis (Debian's nsis package).
# Usage: scripts/windows-installer.sh DIST OUTDIR
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 DIST OUTDIR" >&2
    exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
dist="$(cd "$1" && pwd)"
mkdir -p "$2"
outdir="$(cd "$2" && pwd)"

version="$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
if [ -z "$version" ]; then
    echo "$0: no project VERSION in $root/CMakeLists.txt" >&2
    exit 1
fi
setup="$outdir/miran-setup-$version.exe"

# The uninstaller removes exactly what DIST holds: its files, then its
# folders, deepest first, each only once empty. $INSTDIR is NSIS's own.
list="$(mktemp)"
trap 'rm -f "$list"' EXIT
# shellcheck disable=SC2016
(
    cd "$dist"
    export LC_ALL=C
    find . -type f | sort | sed 's|^\./||; s|\$|$$|g; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|'
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|\$|$$|g; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|'
) >"$list"

makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DDIST="$dist" -DOUTFILE="$setup" \
    -DICON="$root/resources/miran.ico" -DLICENSE="$root/COPYING" \
    -DUNINSTALL_LIST="$list" \
    "$root/packaging/windows/miran.nsi"
echo "$setup: $(du -h "$setup" | cut -f1) ($(stat -c %s "$setup") bytes)"
