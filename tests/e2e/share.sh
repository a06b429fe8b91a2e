#!/usr/bin/env bash
# A shared stage added as a person would, in a fresh profile: `vaporel FILE`
# with a file whose proof does not hold shows the refusal and writes nothing;
# with a file packed from a shipped stage and its solution it adds the stage
# to the player's own, chosen on the title (a click plays it); the same file
# again adds nothing; a second copy given a file while the game runs says
# where the file can go.
# Usage: share.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
DATA="$WORK/game"
LOG="$DATA/vaporel.Z5.log"
USER_STAGES="$XDG_DATA_HOME/vaporel/stages"
GOOD="$WORK/mail/new springs.vaporel.txt"
BAD="$WORK/mail/wrong-hash.vaporel.txt"

mkdir -p "$WORK/mail"
"$DATA/vaporel-sim" --pack "$DATA/stages/0005" "$DATA/stages/0005/solution.txt" -o "$GOOD" >/dev/null
sed 's/^568 end hash=.*/568 end hash=0000000000000000/' "$GOOD" >"$BAD"

open_with() { # open_with FILE: the game started with a share file; its window found
    "$GAME" "$1" >"$WORK/stdout" 2>"$WORK/stderr" &
    GAME_PID=$!
    window=$(find_window "$TITLE" 30) || { fail "the window opens"; finish; }
    focus "$window"
}
close_game() {
    press Escape
    wait_game_exit 30 || true
    check "$1: the game ends normally" [ "$GAME_STATUS" = 0 ]
}
logged() { grep -qF "$1" "$LOG"; }
user_folders() { find "$USER_STAGES" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l; }

# --- A proof that does not hold: one message, nothing written -------------------
open_with "$BAD"
check "the refusal names the file and the reason" \
    wait_until 30 logged "$BAD: the proof does not hold: the water's hash at frame 568"
check "a refused file writes no stage" [ "$(user_folders)" = 0 ]
close_game "refused"

# --- The packed shipped stage: added, chosen, played ----------------------------
open_with "$GOOD"
check "the stage is added as the first user stage" wait_until 60 logged "is added as user-0001"
for file in Map.png Back.jpg Block.jpg Front.png data.xml par.xml replay.txt shared-key.txt; do
    check "the added stage has $file" [ -s "$USER_STAGES/user-0001/$file" ]
done
import -window "$window" "$WORK/title.png"
xdotool mousemove --window "$window" 512 500 click 1
sleep 2
close_game "added"
check "the title chose the added stage: the click played it" [ -s "$DATA/replays/user-0001.txt" ]
check "its pictures are the shipped stage's, drawn from the same map" \
    cmp -s "$USER_STAGES/user-0001/Back.jpg" "$DATA/stages/0005/Back.jpg"

# --- The same file again: one stage, chosen -------------------------------------
open_with "$GOOD"
check "the same file again finds the stage" wait_until 60 logged "was added before as user-0001"
check "the same file twice makes one stage" [ "$(user_folders)" = 1 ]

# --- A second copy given a file while the game runs -----------------------------
status=0
"$GAME" "$GOOD" >"$WORK/second.out" 2>"$WORK/second.err" || status=$?
check "a second copy ends with status 1" [ "$status" = 1 ]
check "and says to drop the file on the running game" grep -q "drop .* on its window" "$WORK/second.err"
close_game "again"
finish
