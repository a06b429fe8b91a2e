#!/usr/bin/env bash
# The sound's levels in the busiest play: a minute of stage 0001 left as it
# is, round after round (its outlets drink from the first pool, so drops of
# both kinds come ten a second each, and the game-over tone sounds over them),
# recorded by SDL's disk driver. No sample reaches full scale.
# Usage: sound-levels.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
AUDIO="$WORK/audio.raw"
BYTES_A_SECOND=$((44100 * 2 * 2))

recorded_bytes() { stat -c %s "$AUDIO" 2>/dev/null || echo 0; }

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" start_game
window=$(find_window "$TITLE" 60) || { fail "the window opens"; finish; }
read -r X0 Y0 < <(geometry "$window" | awk -F'[ ,]' '{print $1, $2}')
focus "$window"
# A click on the title starts a round; in the game the same click lands on
# a hidden wall under the gauges, which a plain click leaves as it is.
start=$(recorded_bytes)
until [ $(($(recorded_bytes) - start)) -ge $((61 * BYTES_A_SECOND)) ]; do
    xdotool mousemove $((X0 + 8)) $((Y0 + 8)) click 1
    sleep 2
done
end_game
check "the game ends normally" [ "$GAME_STATUS" = 0 ]

# The minute after the first click: its peak, the samples at full scale, and
# how much of it sounded.
read -r peak clipped loud < <(python3 - "$AUDIO" "$start" "$BYTES_A_SECOND" <<'PY'
import array, sys
path, start, per_second = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(path, "rb") as f:
    f.seek(start)
    samples = array.array("h", f.read(60 * per_second))
peak = max(abs(s) for s in samples)
clipped = sum(1 for s in samples if s >= 32767 or s <= -32768)
tenth = per_second // 20
loud = sum(1 for i in range(0, len(samples) - tenth + 1, tenth) if max(abs(s) for s in samples[i:i + tenth]) > 3000)
print(peak, clipped, loud)
PY
)
echo "peak of the minute: $peak ($(awk -v p="$peak" 'BEGIN { printf "%.1f", 20 * log(p / 32768) / log(10) }') dBFS), tenths with sound: $loud"
check "the minute sounds through ($loud of 600 tenths)" [ "$loud" -ge 300 ]
check "no sample reaches full scale ($clipped do, peak $peak)" [ "$clipped" = 0 ]
finish
