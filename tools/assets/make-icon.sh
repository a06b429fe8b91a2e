#!/usr/bin/env bash
# Draws the program's icon, a drop of blue water, in every size a desktop asks
# for: resources/icons/NxN/vaporel.png (N = 16 ... 256). The drawing is made
# for 64 pixels and scaled as a drawing, so each size is sharp. The files carry
# no time stamps: the same script makes the same bytes.
# Usage: make-icon.sh [OUTPUT_FOLDER]
set -euo pipefail
out="${1:-$(dirname "$0")/../../resources/icons}"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$out/${size}x${size}"
  scale=$(awk "BEGIN { print $size / 64 }")
  convert -size "${size}x${size}" xc:none \
    -draw "scale $scale,$scale fill '#1d5fd1' stroke '#0b2f73' stroke-width 2
           path 'M 32,4 C 32,4 12,30 12,42 A 20,20 0 0 0 52,42 C 52,30 32,4 32,4 Z'
           fill '#9cc8ff' stroke none ellipse 24,40 5,9 0,360
           fill '#ffffff' circle 23,36 25,36" \
    -define png:exclude-chunks=date,time +set date:create +set date:modify \
    "PNG32:$out/${size}x${size}/vaporel.png"
done
