#!/usr/bin/env bash
# Draws the pictures the game loads from images/ at start-up (those that no
# stage supplies): the mouse pointer and the two water particle sprites.
# Usage: tools/images/make-images.sh [OUTPUT_FOLDER]   (default: data/images)
set -euo pipefail

out="${1:-$(dirname "$0")/../../data/images}"
mkdir -p "$out"
# Always RGBA, without time stamps, so that the files come out the same each time.
png=(-define png:color-type=6 -define png:exclude-chunks=date,time +set date:create +set date:modify)

# Mouse pointer: the hot spot is the top-left pixel, since the game draws the
# picture with its top-left corner at the mouse position.
convert -size 32x32 xc:none -fill white -stroke black -strokewidth 1.5 \
  -draw "polygon 1,1 1,25 7,19 11,28 15,26 11,17 19,17" "${png[@]}" "$out/Cursor.png"

# Water particles: soft discs, opaque in the middle and fading out to the rim.
convert -size 32x32 radial-gradient:'rgba(110,180,255,1)-rgba(0,60,255,0)' "${png[@]}" "$out/Blue.png"
convert -size 32x32 radial-gradient:'rgba(255,120,90,1)-rgba(255,30,0,0)' "${png[@]}" "$out/Red.png"

# "Go": loaded at start-up but never drawn by the game; an opaque JPEG, so
# that the viewer shows a picture without alpha too.
convert -size 160x64 gradient:'#1a3a7a-#0a1a3a' -font DejaVu-Sans-Bold -pointsize 44 -fill '#ffd830' \
  -gravity center -annotate +0+0 'GO!' -strip -quality 92 "$out/Go.jpg"
