#!/usr/bin/env bash
# M as a player hears it. SDL's disk driver writes everything the mixer plays
# to a file: after M the music goes on unheard and the output is silence; M
# again brings it back. The choice is kept in the options file, and the next
# start is silent from the beginning.
# Usage: mute.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
AUDIO="$WORK/audio.raw"
BYTES_PER_SECOND=$((44100 * 4)) # 16-bit stereo
# The stage is not lost while the test listens.
sed -i 's|<etc_water_num_for_end>[0-9]*<|<etc_water_num_for_end>100000<|' "$WORK/game/stages/0001/data.xml"

audio_bytes() { stat -c %s "$AUDIO" 2>/dev/null || echo 0; }
# The output has grown past byte $1.
written_past() { [ "$(audio_bytes)" -gt "$1" ]; }
# Loudest sample (absolute) of the output from byte $1 to its end.
peak_from() {
    python3 - "$AUDIO" "$1" <<'PY'
import array, sys
data = open(sys.argv[1], "rb").read()[int(sys.argv[2]) // 4 * 4:]
samples = array.array("h", data[:len(data) // 2 * 2])
print(max((abs(s) for s in samples), default=0))
PY
}
# Waits until the output holds $2 seconds past byte $1, then gives its peak after the first half second.
peak_of_seconds_after() {
    local from=$1 seconds=$2
    wait_until 60 written_past $((from + seconds * BYTES_PER_SECOND)) || { echo -1; return; }
    peak_from $((from + BYTES_PER_SECOND / 2))
}

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" start_game
start_round
music_plays() { [ "$(peak_of_seconds_after "$(audio_bytes)" 1)" -gt 1000 ]; }
check "the music plays" wait_until 60 music_plays

press m
peak=$(peak_of_seconds_after "$(audio_bytes)" 3)
check "M silences the output (peak $peak)" [ "$peak" = 0 ]
press m
peak=$(peak_of_seconds_after "$(audio_bytes)" 2)
check "M again brings the music back (peak $peak)" [ "$peak" -gt 1000 ]
press m
end_game
check "the game ends normally" [ "$GAME_STATUS" = 0 ]
check "the options file keeps IsMuted" grep -qx 'IsMuted *= *1' "$WORK/game/vaporel.ini"

rm -f "$AUDIO"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$AUDIO" start_game
start_round
peak=$(peak_of_seconds_after "$(audio_bytes)" 3)
check "the next start is silent, also after the click (peak $peak)" [ "$peak" = 0 ]
end_game
finish
