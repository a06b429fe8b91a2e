#!/usr/bin/env bash
# The game's start with a file from outside that is no fit input: a FIFO, a
# device, a folder, a huge file, an entity bomb as the stage data, and the
# first four as the options file. Each ends the start with one error box
# and one log line naming the file, in bounded time and memory.
# Usage: bad-files.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
DATA="$WORK/game/stages/0001/data.xml"
INI="$WORK/game/vaporel.ini"
LOG="$WORK/game/vaporel.Z5.log"
cp "$DATA" "$WORK/data.xml"
MAX_RESIDENT_KB=$((512 * 1024))

entity_bomb() { # 160 KB that would expand to 2 GB of text
    printf '<!DOCTYPE stage [<!ENTITY e "%s">]><stage><water_radius>' "$(head -c 100000 /dev/zero | tr '\0' 1)"
    printf '&e;%.0s' $(seq 20000)
    printf '</water_radius></stage>'
}

# bad_start WHAT FILE MAKE...: puts the bad file in place, starts the game and
# expects the error; then puts the good stage data back and removes the rest.
bad_start() {
    local what="$1" file="$2"; shift 2
    rm -rf "$file"
    "$@"
    start_game
    local box
    if box=$(find_window error 60); then
        # The game names its files relative to its own folder, where it runs.
        check "$what: the log names the file" grep -qF "Error! " <(grep -F "${file#"$WORK/game/"}" "$LOG")
        local resident
        resident=$(awk '/VmHWM/ {print $2}' "/proc/$GAME_PID/status")
        check "$what: at most $MAX_RESIDENT_KB kB resident ($resident)" [ "$resident" -le $MAX_RESIDENT_KB ]
        focus "$box"
        press Return
    else
        fail "$what: an error box appears"
    fi
    wait_game_exit 20 || true
    check "$what: the start fails with status 1 ($GAME_STATUS)" [ "$GAME_STATUS" = 1 ]
    [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null
    rm -rf "$file"
    cp "$WORK/data.xml" "$DATA"
}

bad_start "a FIFO as data.xml" "$DATA" mkfifo "$DATA"
bad_start "a device as data.xml" "$DATA" ln -s /dev/zero "$DATA"
bad_start "a folder as data.xml" "$DATA" mkdir "$DATA"
bad_start "a 3 GiB data.xml" "$DATA" truncate -s 3G "$DATA"
bad_start "an entity bomb as data.xml" "$DATA" eval 'entity_bomb >"$DATA"'
bad_start "a FIFO as the options file" "$INI" mkfifo "$INI"
bad_start "a device as the options file" "$INI" ln -s /dev/full "$INI"
bad_start "a folder as the options file" "$INI" mkdir "$INI"
bad_start "a 2 MiB options file" "$INI" truncate -s 2M "$INI"

finish
