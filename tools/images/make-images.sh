#!/usr/bin/env bash
# Draws the pictures the game loads from images/ at start-up (those that no
# stage supplies): the mouse pointer, the water particle sprites, the title and
# result pictures, and the tiles of the map cells a player changed. The fonts
# that letter the pictures are named in debian/copyright.
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

# The pictures with words, once per language the game speaks: English in
# images/, Japanese in images/ja/ (drawn with the face fontconfig has for
# Japanese), which a Japanese player's game loads instead.
words() { # folder, font, prompt, clear, game over
  mkdir -p "$1"
  # Prompt blinking on the title screen, drawn centred at (512, 640).
  convert -size 420x64 xc:none -font "$2" -pointsize 40 -gravity center \
    -fill white -stroke '#0b1630' -strokewidth 3 -annotate +0+0 "$3" \
    -stroke none -annotate +0+0 "$3" "${png[@]}" "$1/TitleClick.png"
  # Results, faded in over the darkened stage, centred on the screen.
  result "$1" "$2" "$4" '#7fe0ff' Clear.png
  result "$1" "$2" "$5" '#ff7060' GameOver.png
}
result() { # folder, font, text, fill colour, file
  convert -size 760x160 xc:none -font "$2" -pointsize 96 -gravity center \
    -fill "$4" -stroke black -strokewidth 6 -annotate +0+0 "$3" \
    -stroke none -annotate +0+0 "$3" "${png[@]}" "$1/$5"
}
words "$out" DejaVu-Sans-Bold 'CLICK TO START' 'CLEAR!' 'GAME OVER'
words "$out/ja" "$(fc-match -f '%{file}' 'sans-serif:lang=ja')" 'クリックでスタート' 'クリア!' 'ゲームオーバー'

# Tiles of the map cells a player changed, one cell (16 x 16) each, drawn over
# the stage's front layer: grates in the colours of the stage's own outlets
# (blue, bars across the flow) and drains (red, bars along it), a pipe mouth
# for a source, each in a brass frame; a hidden wall only as a faint outline.
tile() { # file, drawing arguments...
  local file="$1"; shift
  convert -size 16x16 xc:none +antialias "$@" "${png[@]}" "$out/$file"
}
frame=(-fill none -stroke '#ecc878' -strokewidth 1 -draw 'rectangle 0,0 15,15' -stroke none)
tile Outlet.png -fill '#2f6fd8' -draw 'rectangle 0,0 15,15' -fill '#101420' \
  -draw 'rectangle 3,1 4,14' -draw 'rectangle 7,1 8,14' -draw 'rectangle 11,1 12,14' "${frame[@]}"
tile Drain.png -fill '#c8402c' -draw 'rectangle 0,0 15,15' -fill '#201010' \
  -draw 'rectangle 1,3 14,4' -draw 'rectangle 1,7 14,8' -draw 'rectangle 1,11 14,12' "${frame[@]}"
tile Source.png -fill '#3a2c16' -draw 'rectangle 0,0 15,15' -fill '#0c0a08' -draw 'circle 7.5,7.5 7.5,2.5' \
  -fill '#8cd0ff' -draw 'circle 7.5,8.5 7.5,6.5' "${frame[@]}"
tile WallOutline.png -fill none -stroke 'rgba(220,240,255,0.35)' -strokewidth 1 -draw 'rectangle 0,0 15,15'
