#!/usr/bin/env bash
# Makes the README's and the metainfo's screenshot from the game itself: a
# private X server, a copy of the built game, The Tower started with a
# click, and the picture taken once its water has poured well down the tower.
# Written as a small PNG (640 x 480, 64 colours).
# Usage: screenshot.sh [GAME_FOLDER [OUTPUT]]   (default build/game, resources/screenshot.png)
set -euo pipefail
cd "$(dirname "$0")/.."
game_folder="$(realpath "${1:-build/game}")"
output="${2:-resources/screenshot.png}"
source tests/xvfb.sh
work="$(mktemp -d)"
cleanup() {
    [ -n "${game:-}" ] && { kill "$game" 2>/dev/null; wait "$game" 2>/dev/null; } || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp -r "$game_folder"/. "$work/game"
rm -rf "$work/game/vaporel.ini" "$work/game/vaporel.Z5.log" "$work/game/progress.ini"* "$work/game/replays"
# The Tower (stage folder 0001) shows the most of the game: it leads the copy's course.
course="$work/game/stages/course.txt"
{ echo "chapter First"; echo 0001; grep -vx 0001 "$course"; } >"$course.new" && mv "$course.new" "$course"
export XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" \
    XDG_DATA_HOME="$work/data" SDL_AUDIODRIVER=dummy
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
start_xvfb 1280x1024x24
# The README's picture is of the English game, whatever the locale here.
env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 "$work/game/vaporel" >/dev/null 2>&1 &
game=$!

# wait_for WHAT COMMAND...: up to ten minutes, for a loaded machine.
wait_for() {
    local what="$1"; shift
    for _ in $(seq 3000); do "$@" && return 0; sleep 0.2; done
    echo "screenshot.sh: $what did not happen" >&2
    exit 1
}
find_window() { window="$(xdotool search --onlyvisible --name '^The Vaporel Vovor of ZANK .ver 1.0.0.$' | head -n 1)"; [ -n "$window" ]; }
wait_for "the game's window" find_window
xdotool windowfocus --sync "$window" 2>/dev/null || true
read -r x0 y0 < <(xdotool getwindowgeometry "$window" | awk '/Position/{ split($2, p, ","); print p[1], p[2] }')
grab() { import -window root -crop "1024x768+$x0+$y0" +repage "$work/shot.png"; }
# Blue water over a quarter of the middle of the field: the stage is under way.
water_poured() {
    grab
    [ "$(convert "$work/shot.png" -crop 600x500+212+150 +repage -fx '(b>r+0.25 && b>g)?1:0' \
        -format '%[fx:mean > 0.04]' info:)" = 1 ]
}
xdotool mousemove --window "$window" 512 384 click 1
xdotool mousemove --window "$window" 1000 760 # the cell cursor away from the water
wait_for "the water of the first stage" water_poured
convert "$work/shot.png" -resize 640x480 -colors 64 -define png:exclude-chunks=date,time \
    +set date:create +set date:modify "PNG8:$output"
echo "$output: $(stat -c %s "$output") bytes"
