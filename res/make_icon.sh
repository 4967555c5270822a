#!/usr/bin/env bash
# Draws the program icon (res/vantrel.ico, several sizes in one file) with ImageMagick:
# a quote sheet with an arrow carrying it up to the web. Run again after changing the design.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 256x256 xc:none \
    -fill '#1f5f8b' -draw 'roundrectangle 8,8 248,248 40,40' \
    -fill white -draw 'polygon 60,40 160,40 200,80 200,216 60,216' \
    -fill '#c8e1e1' -draw 'polygon 160,40 200,80 160,80' \
    -fill '#1f5f8b' -draw 'rectangle 84,100 176,112' -draw 'rectangle 84,128 176,140' -draw 'rectangle 84,156 150,168' \
    -fill '#e07a1f' -draw 'polygon 150,236 150,196 120,196 180,136 240,196 210,196 210,236' \
    "$work/icon256.png"
for size in 16 24 32 48 64; do
    convert "$work/icon256.png" -resize "${size}x${size}" "$work/icon$size.png"
done
convert "$work/icon16.png" "$work/icon24.png" "$work/icon32.png" "$work/icon48.png" "$work/icon64.png" \
    "$work/icon256.png" vantrel.ico
