#!/usr/bin/env bash
# Frames the game draws per second in play at the shipped stage, under a
# private X server with Mesa's software OpenGL, with its share of a core and
# the machine's load. The buffer swaps are counted by a library preloaded into
# the unchanged game (vaporel_swap_counter, built beside the benchmarks).
# The measured seconds lie within the play: left alone, it is lost after
# about 15 s and the game goes back to the still title.
# Usage: bench/draw-rate.sh BUILD_DIR [SECONDS [WARM_UP_SECONDS]]
source "$(dirname "$0")/../tests/e2e/lib.sh"
export LIBGL_ALWAYS_SOFTWARE=1
build="$1"
seconds="${2:-8}"
warm_up="${3:-4}" # the water has begun to flow in from its source
counter="$(realpath "$build/bench/libvaporel_swap_counter.so")"
[ -f "$counter" ] || { echo "no $counter: build the target vaporel_swap_counter" >&2; exit 1; }
ticks_per_second=$(getconf CLK_TCK)

start_xvfb "$E2E_SCREEN"
make_game_copy "$build/game"
export VAPOREL_SWAP_LOG="$WORK/swaps"
LD_PRELOAD="$counter" start_game
window=$(find_window "$TITLE" 60) || { fail "the window opens"; finish; }
focus "$window"
xdotool mousemove 1400 900 # the pointer over the window, still
sleep 3
xdotool click 1 # starts the stage
sleep "$warm_up"

# The last line of the swap log once it differs from $1 (waiting up to 60 s).
next_count() {
    local line deadline=$((SECONDS + 60))
    while line=$(tail -n 1 "$VAPOREL_SWAP_LOG" 2>/dev/null); [ -z "$line" ] || [ "$line" = "$1" ]; do
        [ $SECONDS -ge $deadline ] && { fail "the game draws"; finish; }
        sleep 0.2
    done
    echo "$line"
}
first=$(next_count "")
before=$(cpu_ticks)
sleep "$seconds"
after=$(cpu_ticks)
last=$(next_count "$first")
awk -v first="$first" -v last="$last" -v used=$((after - before)) -v s="$seconds" -v hz="$ticks_per_second" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
        split(first, a, " "); split(last, b, " ")
        printf "drawn: %.1f frames a second over %.1f s, %.1f %% of a core (load %s)\n",
               (b[2] - a[2]) / (b[1] - a[1]), b[1] - a[1], 100 * used / hz / s, load }'
press Escape
wait_game_exit 60 || fail "the game closes"
grep -E "pidDraw|pidBoxDraw|pidBoxExecute" "$WORK/game/vaporel.Z5.log" || true
finish
