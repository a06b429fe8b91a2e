#!/usr/bin/env bash
# Processor time the game takes on its title screen and in play at the shipped
# stage, under a private X server with Mesa's software OpenGL, as a share of
# one core, with the machine's load beside each figure.
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

# share_of_core WHAT: the game's processor time over the next $seconds seconds.
share_of_core() {
    local before after
    before=$(cpu_ticks); sleep "$seconds"; after=$(cpu_ticks)
    awk -v what="$1" -v used=$((after - before)) -v s="$seconds" -v hz="$ticks_per_second" \
        -v load="$(cut -d' ' -f1-3 /proc/loadavg)" \
        'BEGIN { printf "%s: %.1f %% of a core over %d s (load %s)\n", what, 100 * used / hz / s, s, load }'
}

share_of_core "title"
xdotool click 1 # starts the stage
sleep 2
share_of_core "game at the shipped stage"
press Escape
wait_game_exit 60 || fail "the game closes"
grep -E "pidDraw|pidBoxDraw|pidBoxExecute" "$WORK/game/vaporel.Z5.log" || true
finish
