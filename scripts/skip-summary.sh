#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists every skipped test case of the last CTest run in a build folder, with
# its reason, and fails when a reason is not in tests/allowed-skips.txt (one
# reason per line; blank lines and lines starting with # are ignored), or in
# the file given instead (/dev/null: no skip at all).
# Usage: scripts/skip-summary.sh <build folder> [title] [allowed reasons file]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
title="${2:-$build}"
log="$build/Testing/Temporary/LastTest.log"
allowed="${3:-$root/tests/allowed-skips.txt}"

[ -f "$log" ] || { echo "skip summary ($title): no test log at $log" >&2; exit 1; }
# Qt Test: "SKIP   : Class::function(row) reason"; GoogleTest: "[  SKIPPED ] Suite.Test".
# A Qt Test row name may hold blanks: the name ends after its closing bracket.
mapfile -t skips < <(sed -n -e 's/^SKIP   : \([^ (]*\(([^)]*)\)\{0,1\}\) *\(.*\)$/\1\t\3/p' \
    -e 's/^\[  SKIPPED \] \([^ ]*\).*$/\1\t/p' "$log")
echo "skip summary ($title): ${#skips[@]} skipped"
unexpected=0
for skip in "${skips[@]}"; do
    name="${skip%%$'\t'*}"
    reason="${skip#*$'\t'}"
    verdict="allowed"
    if [ -z "$reason" ] || ! grep -v '^#' "$allowed" | grep -qxF -- "$reason"; then
        verdict="NOT ALLOWED"
        unexpected=$((unexpected + 1))
    fi
    printf '  %-11s %s: %s\n' "$verdict" "$name" "${reason:-(no reason given)}"
done
[ "$unexpected" -eq 0 ] || echo "skip summary ($title): $unexpected skip(s) not in $allowed" >&2
exit $((unexpected > 0))
