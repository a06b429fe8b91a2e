#!/usr/bin/env bash
# A clear held to the end and a loss tried again, played as a person would:
# the screen counts down the seconds the red water must stay out, the kept
# clear's stars land in progress.ini; after a loss, T (during the result and
# on the title after it) plays the stage again with the player's own cells,
# as the replay the game writes shows. And M shows its sign.
# Usage: course.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_game_window "$1"
DATA="$WORK/game"
STAGE="$DATA/stages/0001" # the copy's course starts with it
REPLAY="$DATA/replays/0001.txt"
PROGRESS="$DATA/progress.ini"

drag_row() { # drag_row FROM TO ROW
    move_to $(($1 * 16 + 8)) $(($3 * 16 + 8))
    xdotool mousedown 1; sleep 0.2
    for ((c = $1; c <= $2; c++)); do move_to $((c * 16 + 8)) $(($3 * 16 + 8)); done
    xdotool mouseup 1; sleep 0.2
}
start_play() { move_to 512 500; xdotool click 1; sleep 0.5; park_mouse; }
title_shows() { picture_part 0 48 1024 512 bare "$DATA/images/Title.jpg"; grab 0 48 1024 512 now &&
    below "$(difference now bare)" 0.02; }
result_shows() { # the result picture in full over the centre
    grab 132 304 760 160 now
    convert "$WORK/now.png" "$DATA/images/$1.png" -composite "$WORK/composed.png"
    below "$(compare -metric MAE "$WORK/now.png" "$WORK/composed.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')" 0.004
}
# The line at the top of the field, as a mask of its gold letters: $1.png.
hold_letters() {
    grab 200 30 700 44 line
    convert "$WORK/line.png" -fx '(r>0.8 && g>0.65 && b<0.55)?1:0' "$WORK/$1.png"
}
gold_share() { convert "$WORK/$1.png" -format '%[fx:mean]' info:; }
letters_changed() { hold_letters later && ! below "$(differing_pixels first later)" 20; }
at_least() { ! below "$1" "$2"; }
differing_pixels() { { compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true; } | cut -d' ' -f1; }

# --- The muted sign -------------------------------------------------------------------
park_mouse
check "the title shows" wait_until 30 title_shows
grab 968 2 48 36 sound_on
press m
sign_shows() { grab 968 2 48 36 now && ! below "$(difference now sound_on)" 0.05; }
check "M shows the muted sign at the top right" wait_until 15 sign_shows
press m
sign_gone() { grab 968 2 48 36 now && below "$(difference now sound_on)" 0.01; }
check "and M again takes it away" wait_until 15 sign_gone

# --- A clear held to the end: the countdown, then the stars -----------------------------
# Cleared in the first frame; the six seconds after it are the hold.
cp "$STAGE/data.xml" "$WORK/data.xml"
sed -i 's|<blue_water_num_for_clear>[0-9]*<|<blue_water_num_for_clear>0<|' "$STAGE/data.xml"
start_play
check "the clear shows" wait_until 30 result_shows Clear
hold_letters first
check "the hold line stands at the top of the field" at_least "$(gold_share first)" 0.02
check "its seconds count down" wait_until 30 letters_changed
check "the kept clear gives back the title" wait_until 60 title_shows
check "progress.ini keeps the clear's stars: no cells, cleared at once" grep -qx 'Stars = 3' "$PROGRESS"
grab 0 8 1024 30 kept_line
picture_part 0 8 1024 30 bare_top "$DATA/images/Title.jpg"
check "the title says the clear was kept" at_least "$(difference kept_line bare_top)" 0.02
cp "$WORK/data.xml" "$STAGE/data.xml"

# --- A loss tried again with the player's cells ---------------------------------------------
# After the clear the title chose the next stage; the course's first is one to the left.
press Left
rm -f "$REPLAY"
start_play
drag_row 50 53 5 # four blocks in the air, far from the water: the stage is lost all the same
move_to 900 100
xdotool mousedown 3 # the water runs four times as fast
check "the untouched stage is lost" wait_until 120 result_shows GameOver
xdotool mouseup 3
press t
check "T during the result writes the lost play's replay" wait_until 30 test -f "$REPLAY"
lost_cells=$(grep ' cell ' "$REPLAY" | awk '{print $3, $4, $5}' | sort)
check "the lost play drew its four blocks (got: $lost_cells)" [ "$(echo "$lost_cells" | grep -c ' 1$')" = 4 ]
rm -f "$REPLAY"
park_mouse
sleep 1
xdotool mousedown 3
check "the stage is lost again" wait_until 120 result_shows GameOver
xdotool mouseup 3
check "back to the title" wait_until 60 title_shows
check "the retry's replay is written" test -f "$REPLAY"
first_frame_cells() { grep '^1 cell ' "$REPLAY" | awk '{print $3, $4, $5}' | sort; }
check "the retried play starts with the lost play's cells, heard as its own actions" \
    [ "$(first_frame_cells)" = "$lost_cells" ]
check "and has no other edits" [ "$(grep -c ' cell ' "$REPLAY")" = 4 ]
rm -f "$REPLAY"
press Right # the title's choice moves: T still plays the lost stage
press t
sleep 2
end_game
check "the game ends normally" [ "$GAME_STATUS" = 0 ]
check "T on the title after the loss plays it again" test -f "$REPLAY"
check "with the same cells" [ "$(first_frame_cells)" = "$lost_cells" ]
finish
