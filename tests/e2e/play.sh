#!/usr/bin/env bash
# The game played as a person would under a private X server: the title, a
# first play left alone until it is lost (and the stage runner agrees), the
# map redrawn with the mouse and the keys, F5, full screen and back.
# Usage: play.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_game_window "$1"
DATA="$WORK/game"
STAGE="$DATA/stages/0001"

# A drag with the left button held along a row of cells: from column $1 to $2 in row $3.
drag_row() {
    move_to $(($1 * 16 + 8)) $(($3 * 16 + 8))
    xdotool mousedown 1; sleep 0.2
    for ((c = $1; c <= $2; c++)); do move_to $((c * 16 + 8)) $(($3 * 16 + 8)); done
    xdotool mouseup 1; sleep 0.2
}

# Conditions the waits poll.
title_shows() { grab 0 0 1024 560 now && below "$(difference now title)" 0.02; }
prompt_is() { grab 302 608 420 64 now && if [ "$1" = shown ]; then ! below "$(difference now prompt)" 0.05;
    else below "$(difference now prompt)" 0.01; fi; }
water_pours_from_sources() { grab 300 40 170 150 now && ! below "$(water_share now blue)" 0.02 &&
    ! below "$(water_share now red)" 0.005; }
no_water_in() { grab "$@" now && below "$(water_share now blue)" 0.002 && below "$(water_share now red)" 0.002; }
some_water_in() { grab "$@" now && ! below "$(water_share now blue)" 0.01; }
matches() { grab "$1" "$2" "$3" "$4" now && below "$(difference now "$5")" "$6"; }
# The result picture in full over the centre: composing the picture over what
# is seen changes nothing.
result_shows() {
    grab 132 304 760 160 now
    convert "$WORK/now.png" "$DATA/images/$1.png" -composite "$WORK/composed.png"
    below "$(compare -metric MAE "$WORK/now.png" "$WORK/composed.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')" 0.004
}
# The pointer picture is drawn under the mouse: the part there differs from
# the picture file(s) that show it without the pointer.
cursor_visible_at() { # cursor_visible_at X Y PICTURE...
    local x=$1 y=$2; shift 2
    picture_part "$x" "$y" 24 24 bare "$@"
    move_to "$x" "$y"
    wait_until 15 eval 'grab "$x" "$y" 24 24 now && ! below "$(difference now bare)" 0.05'
}
# The veil: a part of the stage without water at about half its brightness.
veiled() {
    grab 900 400 100 80 now
    awk "BEGIN { r = $(convert "$WORK/now.png" -format '%[fx:mean]' info:) / \
                     $(convert "$WORK/frame_right.png" -format '%[fx:mean]' info:); exit !(r > 0.4 && r < 0.6) }"
}

# --- The title ------------------------------------------------------------------------
park_mouse
picture_part 0 0 1024 560 title "$DATA/images/Title.jpg"
picture_part 302 608 420 64 prompt "$DATA/images/Title.jpg"
check "the title picture is shown" wait_until 10 title_shows
check "the click prompt shows" wait_until 10 prompt_is shown
check "and hides again: it blinks" wait_until 10 prompt_is hidden
check "the mouse pointer is drawn over the title" cursor_visible_at 200 300 "$DATA/images/Title.jpg"

# --- A first play, left alone: lost, as the stage runner says ---------------------
expected=$("$DATA/vaporel-sim" "$STAGE" --frames 913 --every 1 | sed -n '912p;913p' | grep -o 'state=[0-9]' | paste -sd,)
check "the stage runner loses the untouched stage at frame 913 ($expected)" [ "$expected" = "state=0,state=2" ]
move_to 512 500
xdotool click 1 # quick: the title needs no button flags
park_mouse
picture_part 0 40 60 600 frame_part "$STAGE/Back.jpg" "$STAGE/Front.png"
picture_part 900 400 100 80 frame_right "$STAGE/Back.jpg" "$STAGE/Front.png"
check "a left click shows the stage: background, front layer, empty gauges (above their numbers)" wait_until 10 matches 0 40 60 600 frame_part 0.01
check "blue and red water pour from the sources" wait_until 10 water_pours_from_sources
check "the mouse pointer is drawn over the stage" cursor_visible_at 900 100 "$STAGE/Back.jpg" "$STAGE/Front.png"
move_to 700 600
xdotool mousedown 3 # the water runs four times as fast
check "the stage is lost: the game over picture fades in" wait_until 60 result_shows GameOver
xdotool mouseup 3
grab 34 40 12 540 gauge # above the plate that carries its numbers
check "the red gauge is full" below 0.9 "$(convert "$WORK/gauge.png" -fx '(r>b+0.2)?1:0' -format '%[fx:mean]' info:)"
check "the veil darkens the stage to half" wait_until 15 veiled
park_mouse
check "the title comes back six seconds later" wait_until 40 title_shows

# --- A second play: redrawing the map --------------------------------------------
press F5
check "F5 on the title starts the game" wait_until 10 water_pours_from_sources
park_mouse
grab 640 320 96 16 before
picture_part 640 320 96 16 blocks "$STAGE/Block.jpg"
drag_row 40 45 20
park_mouse
check "a drag puts block patches on the cells it crosses" wait_until 15 matches 640 320 96 16 blocks 0.01
drag_row 40 45 20
park_mouse
check "a second drag clears them" wait_until 15 matches 640 320 96 16 before 0.01

xdotool keydown 3; move_to $((50 * 16 + 8)) $((5 * 16 + 8)); slow_click; xdotool keyup 3
park_mouse
check "3 held with a click makes a source: water pours from it" wait_until 10 some_water_in 784 100 48 80
xdotool keydown 1; drag_row 48 52 7; xdotool keyup 1
park_mouse
check "1 held makes outlets: the water below them is gone" wait_until 10 no_water_in 768 150 96 150
xdotool keydown 2; drag_row 18 29 3; xdotool keyup 2
park_mouse
check "2 held makes drains: the water under the sources is gone" wait_until 10 no_water_in 300 90 170 110
press F5
check "F5 in the game restarts it: the map is read again and the water pours" wait_until 10 water_pours_from_sources

# --- Full screen and back ----------------------------------------------------------
window_size_is() { [ "$(geometry "$window" | cut -d' ' -f2)" = "$1" ]; }
press F4
check "F4 covers the screen" wait_until 10 window_size_is 1920x1080
full_screen_scaled() {
    import -window root "$WORK/screen.png"
    below "$(convert "$WORK/screen.png" -crop 230x1080+0+0 -format '%[fx:maxima]' info:)" 0.01 &&
        ! below "$(convert "$WORK/screen.png" -crop 1400x1000+260+40 -format '%[fx:mean]' info:)" 0.05
}
check "full screen shows the scene scaled, with black bars" wait_until 10 full_screen_scaled
press F4
check "F4 again gives back the window" wait_until 10 window_size_is 1024x768
read -r X0 Y0 < <(geometry "$window" | awk -F'[ ,]' '{print $1, $2}')
check "and the scene is drawn in it again" wait_until 10 matches 0 40 60 600 frame_part 0.01

press Escape
wait_game_exit 10 || true
check "Escape ends the game normally" [ "$GAME_STATUS" = 0 ]
finish
