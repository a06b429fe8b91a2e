# Shared helpers of the end-to-end tests: a private X server, a private copy of
# the game, and the ways a person looks at it (windows, keys, screenshots).
# Source it from a test script; every helper fails the test with a message.

set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../xvfb.sh"
# The game speaks English to the tests, whatever the locale they run under; a
# test of the player's language sets its own.
unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=C.UTF-8

E2E_SCREEN="${E2E_SCREEN:-1920x1080x24}"
# The least limit of every wait, in seconds. A wait ends as soon as what it
# waits for is there, so a generous limit costs a passing test nothing; on a
# loaded machine the game runs its frames slower than real time, and a limit
# sized for an idle one fails there.
E2E_PATIENCE="${E2E_PATIENCE:-600}"
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check() { # check WHAT COMMAND...
    local what="$1"; shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# The limit for a wait asked with $1 seconds: at least E2E_PATIENCE.
patient_limit() { echo $(($1 > E2E_PATIENCE ? $1 : E2E_PATIENCE)); }

# wait_until SECONDS COMMAND...: polls the condition until it holds; the limit
# (at least E2E_PATIENCE) is generous for a loaded machine, the check is the
# condition itself.
wait_until() {
    local deadline=$((SECONDS + $(patient_limit "$1"))); shift
    until "$@"; do [ $SECONDS -ge $deadline ] && return 1; sleep 0.2; done
}

# Copies the built game folder ($1) into a scratch folder: each test gets its
# own options file, log, progress, replays and instance lock.
make_game_copy() {
    WORK="$(mktemp -d)"
    cp -r "$1"/. "$WORK/game"
    rm -rf "$WORK/game/vaporel.ini" "$WORK/game/vaporel.Z5.log" "$WORK/game/progress.ini"* "$WORK/game/replays"
    # Stage 0001, the one the simulation's checks pin down, leads the copy's
    # course: a test's first play is a play of it.
    local course="$WORK/game/stages/course.txt"
    { echo "chapter First"; echo 0001; grep -vx 0001 "$course"; } >"$course.new" && mv "$course.new" "$course"
    export XDG_RUNTIME_DIR="$WORK/run" XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" \
        XDG_DATA_HOME="$WORK/data"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    GAME="$WORK/game/vaporel"
}

cleanup() {
    [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    [ -n "${WORK:-}" ] && rm -rf "$WORK"
}
trap cleanup EXIT

TITLE="The Vaporel Vovor of ZANK (ver 1.0.0)"

start_game() {
    "$GAME" >"$WORK/stdout" 2>"$WORK/stderr" &
    GAME_PID=$!
}

# Clicks on the title screen to start a round.
start_round() {
    window=$(find_window "$TITLE" 10) || { fail "the window opens"; finish; }
    focus "$window"
    xdotool mousemove --window "$window" 512 384 click 1
}

end_game() {
    press Escape
    wait_game_exit 10 || true
}

# Waits for the process to end (at least E2E_PATIENCE seconds); its status
# lands in GAME_STATUS.
wait_game_exit() { # wait_game_exit SECONDS
    local deadline=$((SECONDS + $(patient_limit "$1")))
    while kill -0 "$GAME_PID" 2>/dev/null; do
        [ $SECONDS -ge $deadline ] && { GAME_STATUS=timeout; return 1; }
        sleep 0.1
    done
    GAME_STATUS=0
    wait "$GAME_PID" || GAME_STATUS=$?
    GAME_PID=""
}

# The ids of the mapped windows named exactly NAME, or NAME with the game's
# inactive suffix: a game that maps without the focus carries it until a test
# focuses it.
windows_named() { # windows_named NAME
    xwininfo -root -tree 2>/dev/null | awk -v name="\"$1\":" -v asleep="\"$1 (sleep)\":" '
        (index($0, name) || index($0, asleep)) && $0 !~ /\(has no name\)/ { print $1 }' | while read -r id; do
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id"
    done
}

# The id of the first mapped window named NAME (as above), waiting up to $2 s
# (at least E2E_PATIENCE).
find_window() { # find_window NAME SECONDS
    local deadline=$((SECONDS + $(patient_limit "$2"))) id
    while [ $SECONDS -lt $deadline ]; do
        id=$(windows_named "$1" | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Starts a copy of the game folder ($1) on a private X server and waits for
# its window: WINDOW, and X0 Y0 the client area's top-left corner on the
# screen, with the keyboard focus. A window that does not open ends the test.
# The command in BEFORE_START, if any, runs on the copy before the game starts.
start_game_window() {
    start_xvfb "$E2E_SCREEN"
    make_game_copy "$1"
    ${BEFORE_START:-}
    start_game
    window=$(find_window "The Vaporel Vovor of ZANK (ver 1.0.0)" 10) || { fail "the window opens"; finish; }
    read -r X0 Y0 < <(geometry "$window" | awk -F'[ ,]' '{print $1, $2}')
    focus "$window"
}

# Looking at the client area: grab X Y W H NAME keeps a part of it as a PNG
# file in the work folder; difference A B is the mean absolute difference of
# two such files, 0 (same) .. 1; below A B holds when A < B.
grab() { import -window root -crop "$3x$4+$((X0 + $1))+$((Y0 + $2))" +repage "$WORK/$5.png"; }
difference() { { compare -metric MAE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }
below() { awk "BEGIN { exit !($1 < $2) }"; }
# picture_part X Y W H NAME FILE [OVER]: the same part of a picture file, or of a second one composed over it.
picture_part() {
    local x=$1 y=$2 w=$3 h=$4 name=$5 compose=(); shift 5
    [ $# -gt 1 ] && compose=(-composite)
    convert "$@" "${compose[@]}" -crop "${w}x${h}+$x+$y" +repage "$WORK/$name.png"
}

geometry() { xdotool getwindowgeometry "$1" | awk '/Position/{print $2} /Geometry/{print $2}' | paste -sd' '; }

focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; sleep 0.3; }
# Moves the keyboard focus away from every window: the game becomes inactive.
unfocus() { xdotool windowfocus "$(xwininfo -root | awk '/Window id/{print $4}')"; sleep 0.3; }
press() { xdotool key "$@"; sleep 0.3; }

# Processor time of the game in clock ticks (user + system).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$GAME_PID/stat"; }

# Share of the part's pixels that show blue or red water.
water_share() { # water_share NAME blue|red
    local expr='(b>r+0.25 && b>g)'
    [ "$2" = red ] && expr='(r>b+0.25 && r>g+0.15)'
    convert "$WORK/$1.png" -fx "$expr?1:0" -format '%[fx:mean]' info:
}
move_to() { xdotool mousemove $((X0 + $1)) $((Y0 + $2)); sleep 0.2; }
# A click that the game sees with the button held, however slowly it reads its messages.
slow_click() { xdotool mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 0.2; }
park_mouse() { move_to 1000 760; } # the cell cursor and the pointer away from what is looked at

finish() {
    if [ "$failures" -gt 0 ]; then
        echo "--- game stderr"; cat "$WORK/stderr" 2>/dev/null || true
        echo "--- log"; cat "$WORK/game/vaporel.Z5.log" 2>/dev/null || true
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}
