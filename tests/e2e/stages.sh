#!/usr/bin/env bash
# The stage select, replays, progress and saved stages, played as a person
# would: the arrow keys and the wheel choose a stage and a click plays it;
# a play with edits, closed, is written as a replay that the stage runner
# plays to the same hash; Ctrl+S saves the edited map as a user stage; a
# cleared stage is kept in progress.ini and the next one is chosen; a damaged
# progress file is set aside.
# Usage: stages.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
DATA="$WORK/game"
SIM="$DATA/vaporel-sim"
REPLAYS="$DATA/replays"
USER_STAGES="$XDG_DATA_HOME/vaporel/stages"
LOG="$DATA/vaporel.Z5.log"

# The stage folders in the course's order: the choice follows it.
mapfile -t COURSE < <(grep -E '^[0-9]+$' "$DATA/stages/course.txt")
FIRST="${COURSE[0]}" SECOND="${COURSE[1]}" THIRD="${COURSE[2]}"

# open_game: starts the game and waits for its window; X0 Y0 is its client origin.
open_game() {
    start_game
    window=$(find_window "The Vaporel Vovor of ZANK (ver 1.0.0)" 30) || { fail "the window opens"; finish; }
    read -r X0 Y0 < <(geometry "$window" | awk -F'[ ,]' '{print $1, $2}')
    focus "$window"
}
close_game() {
    press Escape
    wait_game_exit 30 || true
    check "$1: the game ends normally" [ "$GAME_STATUS" = 0 ]
}
move_to() { xdotool mousemove $((X0 + $1)) $((Y0 + $2)); sleep 0.2; }
slow_click() { xdotool mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 0.2; }
click_cell() { move_to $(($1 * 16 + 8)) $(($2 * 16 + 8)); slow_click; }
drag_row() { # drag_row FROM TO ROW
    move_to $(($1 * 16 + 8)) $(($3 * 16 + 8))
    xdotool mousedown 1; sleep 0.2
    for ((c = $1; c <= $2; c++)); do move_to $((c * 16 + 8)) $(($3 * 16 + 8)); done
    xdotool mouseup 1; sleep 0.2
}
start_play() { move_to 512 500; xdotool click 1; sleep 1; }
grab() { import -window root -crop "$3x$4+$((X0 + $1))+$((Y0 + $2))" +repage "$WORK/$5.png"; }
difference() { { compare -metric MAE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }
differing_pixels() { { compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true; } | cut -d' ' -f1; }
below() { awk "BEGIN { exit !($1 < $2) }"; }
stage_of() { sed -n 's/^stage //p' "$1" 2>/dev/null; }
# The colour of the map picture at the top-left pixel of a cell.
cell_colour() { convert "$1" -format "%[pixel:p{$(($2 * 16)),$(($3 * 16))}]" info:; }

# --- The stage select: arrows and the wheel, a click plays the choice ----------------
open_game
move_to 1000 300
convert "$DATA/images/Title.jpg" -crop 1024x560+0+0 +repage "$WORK/upper_first.png"
convert "$DATA/images/Title.jpg" -crop 1024x512+0+48 +repage "$WORK/upper_below_last_play.png"
# The title's picture; after a play its top band may say how the play ended.
title_back() { grab 0 48 1024 512 now && below "$(difference now upper_below_last_play)" 0.02; }
picture_alone() { grab 0 0 1024 560 now && below "$(difference now upper_first)" 0.02; }
check "the title shows" wait_until 30 picture_alone
grab 0 575 1024 30 first_choice
press Right
press Right
press Left
choice_changed() { grab 0 575 1024 30 second_choice && ! below "$(differing_pixels first_choice second_choice)" 50; }
check "the choice shows in the band below the picture" wait_until 30 choice_changed
check "the picture above y = 560 stays the picture alone" picture_alone
start_play
sleep 2
close_game "a play of the chosen stage"
check "Right, Right, Left choose the course's second stage and the click plays it" \
    [ "$(stage_of "$REPLAYS/$SECOND.txt")" = "$SECOND" ]
check "no other stage was played" [ ! -e "$REPLAYS/$FIRST.txt" -a ! -e "$REPLAYS/$THIRD.txt" ]

# --- A play with edits: its replay plays to the same hash; Ctrl+S saves the map -------
open_game
start_play # the course's first stage: nothing is cleared yet
drag_row 30 40 24
xdotool keydown 1; click_cell 40 30; xdotool keyup 1
xdotool keydown ctrl; click_cell 10 35; xdotool keyup ctrl
sleep 1
press ctrl+s
check "Ctrl+S writes user-0001" wait_until 30 test -f "$USER_STAGES/user-0001/Map.png"
move_to 600 200
press q
sleep 1
press r
drag_row 30 35 26
sleep 2
close_game "a play with edits"
replay="$REPLAYS/$FIRST.txt"
check "the play is written as a replay of stage $FIRST" [ "$(stage_of "$replay")" = "$FIRST" ]
check "the replay holds the edits" [ "$(grep -c ' cell ' "$replay")" -ge 19 ]
check "the replay holds the pour at the pointer" grep -q ' pour 600 200$' "$replay"
check "the replay holds the reset" grep -q ' reset$' "$replay"
expected=$(sed -n 's/.* end hash=//p' "$replay")
if "$SIM" "$DATA/stages/$FIRST" --replay "$replay" >"$WORK/sim.txt" 2>"$WORK/sim.err"; then
    pass "the stage runner plays the replay"
else
    fail "the stage runner plays the replay: $(cat "$WORK/sim.err")"
fi
check "and prints the hash the play wrote ($expected)" [ "$(sed -n 's/^hash=//p' "$WORK/sim.txt")" = "$expected" ]

saved="$USER_STAGES/user-0001"
for file in data.xml Back.jpg Block.jpg Front.png; do
    check "the saved stage has $file of the stage" cmp -s "$saved/$file" "$DATA/stages/$FIRST/$file"
done
check "the saved map has the dragged blocks" [ "$(cell_colour "$saved/Map.png" 35 24)" != "$(cell_colour "$DATA/stages/$FIRST/Map.png" 35 24)" ]
check "the saved map has the new outlet" [ "$(cell_colour "$saved/Map.png" 40 30)" = "srgb(0,0,255)" ]
check "the saved map has the hidden wall" [ "$(cell_colour "$saved/Map.png" 10 35)" = "srgb(128,128,128)" ]
check "the saved map has not the edits made after the save" \
    [ "$(cell_colour "$saved/Map.png" 32 26)" = "$(cell_colour "$DATA/stages/$FIRST/Map.png" 32 26)" ]
check "the saved stage loads in the stage runner" "$SIM" "$saved" --frames 1
check "the saved stage holds the replay so far" grep -q ' cell 40 30 3$' "$saved/replay.txt"

# --- A cleared stage: progress kept, the next stage chosen ---------------------------
sed -i 's|<blue_water_num_for_clear>[0-9]*<|<blue_water_num_for_clear>0<|' "$DATA/stages/$FIRST/data.xml"
rm -f "$REPLAYS"/*.txt
open_game
start_play
check "the cleared stage gives back the title" wait_until 60 title_back
check "progress.ini records the clear" grep -qx 'Cleared = 1' "$DATA/progress.ini"
move_to 1000 300
xdotool click 5 # the wheel towards the user: one stage on
sleep 0.5
start_play
sleep 1
close_game "a play after a clear"
check "after the clear the course's next stage was chosen, and the wheel chose the one after" \
    [ "$(stage_of "$REPLAYS/$THIRD.txt")" = "$THIRD" ]

# --- A damaged progress file -----------------------------------------------------------
printf '[%s]\nCleared = 1\n\0\0garbage' "$FIRST" >"$DATA/progress.ini"
cp "$DATA/progress.ini" "$WORK/damaged.ini"
open_game
check "a damaged progress file is kept as progress.ini.bad" cmp -s "$DATA/progress.ini.bad" "$WORK/damaged.ini"
check "and the log says so" grep -q "progress.ini.bad" "$LOG"
rm -f "$REPLAYS"/*.txt
start_play
sleep 1
close_game "a start with a damaged progress file"
check "the progress starts clean: the course's first stage is chosen" [ "$(stage_of "$REPLAYS/$FIRST.txt")" = "$FIRST" ]

finish
