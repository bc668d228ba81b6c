#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the window icon: a modem box with an antenna and two radio waves, at
# 32x32 and 16x16 in 16 colours, into resources/miran.ico. Needs ImageMagick.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources/miran.ico"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
draw() {
    local size=$1 scale=$2
    convert -size 32x32 xc:none \
        -fill '#1c3f94' -stroke '#0a1a40' -draw "roundrectangle 3,17 28,28 3,3" \
        -fill '#ffd800' -stroke none -draw "rectangle 7,21 10,24" -draw "rectangle 13,21 16,24" \
        -stroke '#0a1a40' -strokewidth 2 -draw "line 22,17 22,6" \
        -fill none -stroke '#1c8f3a' -strokewidth 2 \
        -draw "arc 16,0 28,12 200,340" -draw "arc 18,2 26,10 210,330" \
        -resize "${scale}" -colors 16 "PNG8:$tmp/icon$size.png"
}
draw 32 32x32
draw 16 16x16
convert "$tmp/icon32.png" "$tmp/icon16.png" -colors 16 "$out"
echo "$out"
