#!/usr/bin/env bash
# The music as a player hears it. SDL's disk driver writes everything the
# mixer plays to a file: after the click on the title screen the file carries
# the music at full level; when the stage has ended and the title is back, the
# level falls to silence over about two seconds. With no audio device at all
# the game plays through silently and ends normally.
# Usage: sound.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
LOG="$WORK/game/vaporel.Z5.log"
AUDIO="$WORK/audio.raw"

# The stage counts as cleared from its first frame: the title is back six
# seconds after the click.
sed -i 's|<blue_water_num_for_clear>[0-9]*<|<blue_water_num_for_clear>0<|' "$WORK/game/stages/0001/data.xml"

# Level of each tenth of a second (RMS of both channels), from the raw
# 44100 Hz 16-bit stereo output the disk driver has written so far.
levels() {
    python3 - "$AUDIO" >"$WORK/levels" <<'PY'
import array, math, sys
data = open(sys.argv[1], "rb").read()
samples = array.array("h", data[:len(data) // 2 * 2])
window = 4410 * 2
for start in range(0, len(samples) - window + 1, window):
    chunk = samples[start:start + window]
    print(round(math.sqrt(sum(s * s for s in chunk) / window)))
PY
}

# The music has played and faded, and a second and a half of silence followed.
music_has_ended() {
    levels && awk '{ level[NR] = $1 } END {
        for (last = NR; last > 0 && level[last] == 0; last--) ;
        exit !(last > 0 && NR - last >= 15) }' "$WORK/levels"
}

# The output written so far lasts at least $1 tenths of a second.
output_lasts() {
    [ -f "$AUDIO" ] && levels && [ "$(wc -l <"$WORK/levels")" -ge "$1" ]
}

# --- With the disk driver: music, then the fade -----------------------------
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" start_game
# Over half a second of the title's silence first, so that the music is seen
# to start with the click.
wait_until 20 output_lasts 6 || fail "the disk driver writes the output"
start_round
# Six seconds of play and two of fading are 480 timed frames; a loaded
# machine may run them slower than real time, so the test waits for the
# silence itself.
wait_until 120 music_has_ended || fail "the music ends within two minutes"
end_game
check "the game ends normally" [ "$GAME_STATUS" = 0 ]
levels
read -r onset music tail heard silent < <(awk '
    function mean(from, to,   i, sum) { for (i = from; i < to; i++) sum += level[i]; return sum / (to - from) }
    { level[NR] = $1 }
    END {
        for (onset = 1; onset <= NR && level[onset] == 0; onset++) ;  # first tenth with sound
        for (last = NR; last > onset && level[last] == 0; last--) ;   # last tenth with sound
        print onset, int(mean(onset + 10, onset + 50)), int(mean(last - 9, last + 1)), (last - onset + 1) / 10, NR - last
    }' "$WORK/levels")
# Six seconds of play at full level, then two of fading: the piece's level is
# about 5000 and the last second of a linear fade about a quarter of it.
check "the music starts after the click (at ${onset}/10 s)" [ "$onset" -gt 5 ]
check "the music plays at full level (RMS $music)" [ "$music" -gt 2500 ]
# Timed frames never run faster than real time, but a loaded machine runs them
# slower: the eight seconds are a least length only.
check "it sounds for the stage and the fade, eight seconds of timed frames or more (${heard} s)" \
    awk "BEGIN { exit !($heard >= 6) }"
check "its last second fades (RMS $tail against $music)" [ $((tail * 2)) -lt "$music" ]
check "then the output is silent" [ "$silent" -ge 5 ]

# --- No audio device: the same round, silently -----------------------------
rm -f "$LOG"
SDL_AUDIODRIVER=nonexistent start_game
start_round
wait_until 20 grep -q "No sound: " "$LOG" || true
end_game
check "without an audio device the game still ends normally" [ "$GAME_STATUS" = 0 ]
check "the log says there is no sound" grep -q "No sound: " "$LOG"
check "and holds no error" bash -c "! grep -q 'Error!' '$LOG'"

# --- A missing piece: the click that starts it ends the game with the open
# message naming the file ----------------------------------------------------------
rm "$WORK/game/bgm/game.ogg"
start_game
window=$(find_window "$TITLE" 10) || fail "the window opens without the music file"
focus "$window"
xdotool mousemove --window "$window" 512 384 click 1
if box=$(find_window error 20); then
    check "the log names the missing music file" grep -qF "ファイル名bgm/game.ogg" "$LOG"
    check "after the open message" grep -qF "Error! OggVorbisのファイルを開くことができませんした。@FileOpen" "$LOG"
    focus "$box"
    press Return
else
    fail "an error box appears"
fi
wait_game_exit 20 || true
check "the game ends with status 1 ($GAME_STATUS)" [ "$GAME_STATUS" = 1 ]

finish
