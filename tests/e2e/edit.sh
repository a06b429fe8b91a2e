#!/usr/bin/env bash
# Redrawing the map as a player plans it, under a private X server: P holds
# the water while the field stays drawn, a quick stroke draws a solid wall,
# Ctrl+Z takes it back to the pixel, as it does an outlet, a drain, a source
# and a hidden wall, a drag out of the window leaves the floor alone, and P
# lets the water go again.
# Usage: edit.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_game_window "$1"
STAGE="$WORK/game/stages/0001"

# Pixels that differ between two grabbed parts: 0 is the same to the byte.
differing_pixels() { { compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true; } | cut -d' ' -f1; }
same_as() { grab "$1" "$2" "$3" "$4" now && [ "$(differing_pixels now "$5")" = 0 ]; }
# The field left of the tower, where the water falls from the sources.
FALL=(300 40 170 300)
water_moves() { grab "${FALL[@]}" now && sleep 0.5 && grab "${FALL[@]}" later && [ "$(differing_pixels now later)" != 0 ]; }
water_pours() { grab "${FALL[@]}" now && ! below "$(water_share now blue)" 0.02; }
# The label: white letters in the middle of the field on a dark plate (the
# stage there is dark, and water under the plate is darkened with it).
paused_label_shows() {
    grab 490 365 40 4 plate && below "$(convert "$WORK/plate.png" -format "%[fx:mean]" info:)" 0.2 &&
        grab 482 376 60 16 text &&
        ! below "$(convert "$WORK/text.png" -fx '(r>0.9 && g>0.9 && b>0.9)?1:0' -format '%[fx:mean]' info:)" 0.05
}
press_keys() { xdotool key "$@"; }

move_to 512 500
xdotool click 1
park_mouse
check "the game starts and the water pours" wait_until 15 water_pours

# --- P holds the water --------------------------------------------------------------
press_keys p
check "PAUSED shows over the field" wait_until 15 paused_label_shows
grab "${FALL[@]}" first
sleep 1
grab "${FALL[@]}" second
check "paused, two pictures a second apart show the same field" [ "$(differing_pixels first second)" = 0 ]

# --- A quick stroke across twenty cells, taken back ----------------------------------
ROW=12; FIRST=30; LAST=49 # empty cells of the stage, right of the tower
STRIP=($((FIRST * 16)) $((ROW * 16)) $(((LAST - FIRST + 1) * 16)) 16)
grab "${STRIP[@]}" before
picture_part "${STRIP[@]}" blocks "$STAGE/Block.jpg"
move_to $((FIRST * 16 + 8)) $((ROW * 16 + 8))
xdotool mousedown 1; sleep 0.3
xdotool mousemove $((X0 + LAST * 16 + 8)) $((Y0 + ROW * 16 + 8)); sleep 0.3 # one motion event
xdotool mouseup 1
park_mouse
blocks_drawn() { grab "${STRIP[@]}" now && below "$(difference now blocks)" 0.01; }
check "one quick move across twenty cells makes twenty block cells" wait_until 15 blocks_drawn
press_keys ctrl+z
check "Ctrl+Z gives back the pixels byte for byte" wait_until 15 same_as "${STRIP[@]}" before

# --- 1, 2, 3 and Ctrl with a click, each taken back --------------------------------
# edit_and_undo KEY COLUMN: an empty cell right of the tower, clicked with KEY held.
edit_and_undo() {
    local cell=($(($2 * 16)) 320 16 16)
    grab "${cell[@]}" cell_before
    move_to $(($2 * 16 + 8)) 328
    xdotool keydown "$1"; slow_click; xdotool keyup "$1"
    park_mouse
    changed() { grab "${cell[@]}" now && [ "$(differing_pixels now cell_before)" != 0 ]; }
    check "$1 with a click changes the cell's pixels" wait_until 15 changed
    press_keys ctrl+z
    check "and Ctrl+Z gives them back byte for byte" wait_until 15 same_as "${cell[@]}" cell_before
}
edit_and_undo 1 40
edit_and_undo 2 42
edit_and_undo 3 44
edit_and_undo ctrl 46

# --- A drag out through the bottom of the window ------------------------------------
FLOOR=(400 720 400 48) # rows 45 to 47: the floor under the field
grab "${FLOOR[@]}" floor
move_to 600 600
xdotool mousedown 1; sleep 0.3
xdotool mousemove $((X0 + 600)) $((Y0 + 900)); sleep 0.3 # below the window
xdotool mouseup 1; sleep 0.3
# A click after it shows once the game has read the drag's events too.
MARK=(800 80 16 16) # cell (50, 5), empty
picture_part "${MARK[@]}" mark "$STAGE/Block.jpg"
move_to 808 88
slow_click
park_mouse
marked() { grab "${MARK[@]}" now && below "$(difference now mark)" 0.01; }
check "a click after the drag shows its block" wait_until 15 marked
check "a drag out through the bottom leaves the floor as it was" same_as "${FLOOR[@]}" floor

# --- P again lets the water go ------------------------------------------------------
press_keys p
check "P again: the water moves" wait_until 15 water_moves
label_gone() { ! paused_label_shows; }
check "and the label is gone" label_gone

press Escape
wait_game_exit 10 || true
check "Escape ends the game normally" [ "$GAME_STATUS" = 0 ]
finish
