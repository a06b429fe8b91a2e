#!/usr/bin/env bash
# On a screen smaller than the 1024 x 768 client area (a 1280 x 720 laptop)
# the window opens at the largest 4:3 size that fits, the whole field shows
# down to its floor, and a click lands on the cell under the pointer.
# Usage: small-screen.sh GAME_FOLDER
E2E_SCREEN=1280x720x24
source "$(dirname "$0")/lib.sh"

start_game_window "$1"
STAGE="$WORK/game/stages/0001"
SIZE=$(geometry "$window" | cut -d' ' -f2)
check "the window is 960 x 720, the largest 4:3 size on the screen ($SIZE)" [ "$SIZE" = 960x720 ]
check "and lies on the screen ($X0, $Y0)" [ "$X0" -ge 0 ] && [ "$Y0" -ge 0 ]

SCALE=0.9375 # window pixels per client pixel
# The window pixel of a client coordinate.
scaled() { awk -v c="$1" -v s=$SCALE 'BEGIN { printf "%d", c * s }'; }
# The Block picture scaled as the window shows it, a part of it in window pixels.
convert "$STAGE/Block.jpg" -resize 960x720 "$WORK/block_scaled.png"
scaled_block() { convert "$WORK/block_scaled.png" -crop "$3x$4+$1+$2" +repage "$WORK/$5.png"; }

xdotool mousemove $((X0 + 480)) $((Y0 + 400)) click 1 # the title: start
xdotool mousemove $((X0 + 900)) $((Y0 + 100))
# The floor: block cells of row 47 (client y 752 to 767), columns 10 to 35.
floor_y=$(scaled 753); floor_x=$(scaled 161); floor_w=$(( $(scaled 575) - floor_x ))
scaled_block "$floor_x" "$floor_y" "$floor_w" 12 floor
floor_shows() { grab "$floor_x" "$floor_y" "$floor_w" 12 now && below "$(difference now floor)" 0.06; }
check "the floor at the bottom of the field shows" wait_until 15 floor_shows

# A click at the scaled position of cell (37, 47) removes that floor block.
cell_x=$(scaled 601); cell_y=$(scaled 753); cell=13
scaled_block "$cell_x" "$cell_y" $cell $cell cell_block
check "cell (37, 47) shows its block patch" wait_until 15 eval 'grab "$cell_x" "$cell_y" $cell $cell now && below "$(difference now cell_block)" 0.06'
xdotool mousemove $((X0 + $(scaled 608))) $((Y0 + $(scaled 760)))
sleep 0.2; xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
xdotool mousemove $((X0 + 900)) $((Y0 + 100))
check "a click at its scaled position removes it" wait_until 15 eval 'grab "$cell_x" "$cell_y" $cell $cell now && ! below "$(difference now cell_block)" 0.15'
left_x=$(scaled 585)
scaled_block "$left_x" "$cell_y" $cell $cell left_block
check "and leaves the cell beside it alone" eval 'grab "$left_x" "$cell_y" $cell $cell now && below "$(difference now left_block)" 0.06'

press Escape
wait_game_exit 10 || true
check "Escape ends the game normally" [ "$GAME_STATUS" = 0 ]
finish
