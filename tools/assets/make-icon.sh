#!/usr/bin/env bash
# Draws the program's icon, a drop of blue water: resources/vaporel.png.
set -euo pipefail
out="${1:-$(dirname "$0")/../../resources/vaporel.png}"
convert -size 64x64 xc:none \
  -fill '#1d5fd1' -stroke '#0b2f73' -strokewidth 2 \
  -draw "path 'M 32,4 C 32,4 12,30 12,42 A 20,20 0 0 0 52,42 C 52,30 32,4 32,4 Z'" \
  -fill '#9cc8ff' -stroke none -draw "ellipse 24,40 5,9 0,360" \
  -fill '#ffffff' -draw "circle 23,36 25,36" \
  "PNG32:$out"
