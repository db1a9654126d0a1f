#!/usr/bin/env bash
# Draws the program icon (res/tessaline.ico: 48, 32 and 16 pixels) from scratch: four tiles of a
# tessellated desktop in the program's colours. Run from the repository root; the output is checked in.
set -euo pipefail
out=${1:-res/tessaline.ico}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
  -fill '#1f5fa8' -draw 'roundrectangle 8,8 122,122 22,22' \
  -fill '#f2a900' -draw 'roundrectangle 134,8 248,122 22,22' \
  -fill '#3aa655' -draw 'roundrectangle 8,134 122,248 22,22' \
  -fill '#d9443b' -draw 'roundrectangle 134,134 248,248 22,22' \
  -fill white -draw 'circle 128,128 128,84' \
  -fill '#1f5fa8' -draw 'circle 128,128 128,106' \
  "$tmp/big.png"
for s in 48 32 16; do convert "$tmp/big.png" -resize ${s}x${s} "$tmp/$s.png"; done
convert "$tmp/48.png" "$tmp/32.png" "$tmp/16.png" "$out"
