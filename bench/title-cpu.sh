#!/usr/bin/env bash
# Processor time the game takes on its title screen and in play at the shipped
# stage, under a private X server with Mesa's software OpenGL, as a share of
# one core, with the machine's load beside each figure, and how often a second
# its main thread woke up (a figure a loaded machine changes less).
# Usage: bench/title-cpu.sh GAME_FOLDER [SECONDS]
source "$(dirname "$0")/../tests/e2e/lib.sh"
export LIBGL_ALWAYS_SOFTWARE=1
seconds="${2:-10}"
ticks_per_second=$(getconf CLK_TCK)

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
start_game
window=$(find_window "The Vaporel Vovor of ZANK (ver 1.0.0)" 60) || { fail "the window opens"; finish; }
focus "$window"
xdotool mousemove 1400 900 # the pointer over the window, still
sleep 3                    # the start-up is over

# The main thread's context switches so far: each one a wake after it slept or was put aside.
main_thread_wakes() {
    awk '/^(non)?voluntary_ctxt_switches/ { sum += $2 } END { print sum }' "/proc/$GAME_PID/task/$GAME_PID/status"
}

# share_of_core WHAT: the game's processor time over the next $seconds seconds.
share_of_core() {
    local before after wakes_before wakes_after
    before=$(cpu_ticks); wakes_before=$(main_thread_wakes)
    sleep "$seconds"
    after=$(cpu_ticks); wakes_after=$(main_thread_wakes)
    awk -v what="$1" -v used=$((after - before)) -v s="$seconds" -v hz="$ticks_per_second" \
        -v wakes=$((wakes_after - wakes_before)) -v load="$(cut -d' ' -f1-3 /proc/loadavg)" \
        'BEGIN { printf "%s: %.1f %% of a core over %d s, %.0f wakes a second (load %s)\n", what,
                 100 * used / hz / s, s, wakes / s, load }'
}

share_of_core "title"
xdotool click 1 # starts the stage
sleep 2
share_of_core "game at the shipped stage"
press Escape
wait_game_exit 60 || fail "the game closes"
grep -E "pidDraw|pidBoxDraw|pidBoxExecute" "$WORK/game/vaporel.Z5.log" || true
finish
