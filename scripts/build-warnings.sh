#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a build log holds a compiler warning: lists each one once and
# counts them; otherwise says how many files the log compiled.
# Usage: scripts/build-warnings.sh <build log>
set -euo pipefail
log="$1"
[ -s "$log" ] || { echo "no build log at $log"; exit 1; }
warnings="$(grep -E '^[^ ]+:[0-9]+:([0-9]+:)? warning:' "$log" | sort -u || true)"
if [ -n "$warnings" ]; then
    echo "$warnings"
    echo "compiler warnings: $(wc -l <<<"$warnings") in $log"
    exit 1
fi
echo "compiler warnings: none in $(grep -c 'Building CXX' "$log" || true) compiled files"
