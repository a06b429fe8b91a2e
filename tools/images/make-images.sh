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

# Title screen: a water tower at dusk with the game's name. Opaque, so JPEG.
convert -size 1024x768 gradient:'#0b1630-#1d5a8c' \
  -fill '#2a7fc0' -draw "rectangle 352,300 672,700" \
  -fill '#3f9be0' -draw "rectangle 372,320 652,700" \
  -fill '#0b1630' -draw "rectangle 412,360 612,520" \
  -fill '#6cc4ff' -draw "rectangle 412,440 612,520" \
  -fill '#15304f' -draw "rectangle 0,700 1024,768" \
  -font DejaVu-Sans-Bold -fill white -stroke '#0b1630' -strokewidth 2 -gravity north \
  -pointsize 34 -annotate +0+90 'The Vaporel Vovor of' \
  -pointsize 110 -annotate +0+140 'ZANK' \
  -strip -quality 92 "$out/Title.jpg"

# Prompt blinking on the title screen, drawn centred at (512, 640).
convert -size 420x64 xc:none -font DejaVu-Sans-Bold -pointsize 40 -gravity center \
  -fill white -stroke '#0b1630' -strokewidth 3 -annotate +0+0 'CLICK TO START' \
  -stroke none -annotate +0+0 'CLICK TO START' "${png[@]}" "$out/TitleClick.png"

# Results, faded in over the darkened stage, centred on the screen.
result() { # text, fill colour, file
  convert -size 760x160 xc:none -font DejaVu-Sans-Bold -pointsize 96 -gravity center \
    -fill "$2" -stroke black -strokewidth 6 -annotate +0+0 "$1" \
    -stroke none -annotate +0+0 "$1" "${png[@]}" "$out/$3"
}
result 'CLEAR!' '#7fe0ff' Clear.png
result 'GAME OVER' '#ff7060' GameOver.png
