#!/usr/bin/env bash
# An error at start-up (a damaged stage 0001) leaves a message box open; a quit request (SIGTERM,
# SIGINT, SIGHUP) closes the box and ends the game with status 1, the error
# already in the log.
# Usage: error-box.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
# The course as shipped, where stage 0001 is not the first: start-up loads
# 0001 all the same, and a fault in it ends the start.
cp "$1/stages/course.txt" "$WORK/game/stages/course.txt"
DATA="$WORK/game/stages/0001/data.xml"
LOG="$WORK/game/vaporel.Z5.log"
rm "$DATA"

# The game as a terminal starts it: a background job of a script starts with
# SIGINT ignored, and the game leaves a signal ignored since the start alone.
start_game_with_default_signals() {
    env --default-signal "$GAME" >"$WORK/stdout" 2>"$WORK/stderr" &
    GAME_PID=$!
}

for signal in TERM INT HUP; do
    start_game_with_default_signals
    if box=$(find_window error 60); then
        kill -s "$signal" "$GAME_PID"
        wait_game_exit 60 || true
        check "SIG$signal closes the box and ends the game with status 1 ($GAME_STATUS)" [ "$GAME_STATUS" = 1 ]
        check "SIG$signal: the box is gone" wait_until 60 eval '[ -z "$(windows_named error)" ]'
    else
        fail "SIG$signal: an error box appears"
    fi
    [ -n "${GAME_PID:-}" ] && kill -KILL "$GAME_PID" 2>/dev/null
done
check "each run logged its error once, naming the file" \
    [ "$(grep -c "Error! .*stages/0001/data.xml" "$LOG")" = 3 ]
check "and ended with its end banner" [ "$(grep -c '^Z5Log end' "$LOG")" = 3 ]

# A value with a letter past ASCII, quoted early in the message: under a
# locale that is not UTF-8 the box still shows the whole text, as wide as
# under a UTF-8 one.
cp "$1/stages/0001/data.xml" "$DATA"
sed -i 's|<blue_water_num>[0-9]*<|<blue_water_num>é12<|' "$DATA"
box_width() { # box_width LANG
    LANG="$1" LC_ALL="" LC_CTYPE="" start_game_with_default_signals
    local box width=0
    box=$(find_window error 60) && width=$(xwininfo -id "$box" | awk '/Width/ { print $2 }')
    kill -s TERM "$GAME_PID"
    wait_game_exit 60 || true
    echo "$width"
}
plain=$(box_width C)
utf8=$(box_width C.UTF-8)
check "under LANG=C the box shows the whole text (${plain} pixels wide, ${utf8} under C.UTF-8)" \
    [ "$plain" -gt 0 -a "$plain" = "$utf8" ]

finish
