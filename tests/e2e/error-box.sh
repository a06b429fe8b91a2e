#!/usr/bin/env bash
# An error at start-up leaves a message box open; a quit request (SIGTERM,
# SIGINT, SIGHUP) closes the box and ends the game with status 1, the error
# already in the log.
# Usage: error-box.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
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

finish
