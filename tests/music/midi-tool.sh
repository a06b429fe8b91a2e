#!/usr/bin/env bash
# vaporel-midi --print on a file made here: the messages with their timer
# ticks, the silencing at the end; a damaged file gives one line and status 1.
set -euo pipefail
tool="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Format 0, division 96: note on at tick 0, note off 3 ticks later (running
# status, velocity 0), end of track; at half speed one MIDI tick takes two
# timer ticks.
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60' >"$work/note.mid"
printf 'MTrk\x00\x00\x00\x0c\x00\x90\x3c\x64\x03\x3c\x00\x00\xff\x2f\x00\x00' >>"$work/note.mid"
"$tool" "$work/note.mid" --print --tempo 50 >"$work/out.txt"
head -n 2 "$work/out.txt" >"$work/notes.txt"
printf 'tick=2 90 3c 64\ntick=6 90 3c 00\n' | diff -u - "$work/notes.txt"
[ "$(wc -l <"$work/out.txt")" -eq $((2 + 48 + 1)) ]
[ "$(tail -n 1 "$work/out.txt")" = "tick=6 reset" ]

head -c 20 "$work/note.mid" >"$work/cut.mid"
if "$tool" "$work/cut.mid" --print >"$work/cut.out" 2>"$work/cut.err"; then
    echo "a damaged file was played"; exit 1
fi
[ "$(wc -l <"$work/cut.err")" -eq 1 ] && grep -q "cut.mid" "$work/cut.err"
# A silence of 20 hours passes at once: the note off comes 36,000,000 ticks
# (of 2 ms, one MIDI tick each) after the note on.
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0' >"$work/long.mid"
printf 'MTrk\x00\x00\x00\x0e\x00\x90\x3c\x64\x91\x95\xa2\x00\x3c\x00\x00\xff\x2f\x00' >>"$work/long.mid"
"$tool" "$work/long.mid" --print >"$work/long.txt"
head -n 2 "$work/long.txt" >"$work/long-notes.txt"
printf 'tick=1 90 3c 64\ntick=36000000 90 3c 00\n' | diff -u - "$work/long-notes.txt"

# Four of the longest delta times: some 25 days. Refused with one line, before
# anything is printed.
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0' >"$work/days.mid"
printf 'MTrk\x00\x00\x00\x1c' >>"$work/days.mid"
for _ in 1 2 3 4; do printf '\xff\xff\xff\x7f\x90\x3c\x64' >>"$work/days.mid"; done
if "$tool" "$work/days.mid" --print >"$work/days.out" 2>"$work/days.err"; then
    echo "a file of 25 days was played"; exit 1
fi
[ ! -s "$work/days.out" ] && [ "$(wc -l <"$work/days.err")" -eq 1 ] && grep -q "24 hours" "$work/days.err"
echo "vaporel-midi prints as expected"
