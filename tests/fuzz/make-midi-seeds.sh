#!/usr/bin/env bash
# Writes small MIDI files into the folder $1 as seeds for midi_fuzz: format 0
# with every kind of event, format 1 with a tempo track. Division 480.
set -euo pipefail
out="$1"
mkdir -p "$out"
events="$(mktemp)"
trap 'rm -f "$events"' EXIT

header() { # $1: format, $2: track count
    printf 'MThd\x00\x00\x00\x06\x00'; printf "\\x0$1"; printf '\x00'; printf "\\x0$2"; printf '\x01\xe0'
}
track() { # $1: the events as printf escapes (under 256 bytes)
    printf "$1" >"$events"
    printf 'MTrk\x00\x00\x00'; printf "\\x$(printf %02x "$(wc -c <"$events")")"; cat "$events"
}
{
    header 0 1
    track '\x00\xff\x51\x03\x07\xa1\x20\x00\x90\x3c\x64\x10\x3e\x50\x00\xc0\x05\x00\xd0\x40\x00\xe0\x00\x40\x00\xb0\x07\x64\x00\xa0\x3c\x10\x00\xf0\x03\x7e\x7f\xf7\x00\xf7\x01\xf8\x81\x00\x80\x3c\x00\x00\xff\x2f\x00'
} >"$out/seed-format0.mid"
{
    header 1 2
    track '\x00\xff\x03\x01\x74\x00\xff\x51\x03\x0f\x42\x40\x00\xff\x2f\x00'
    track '\x00\x91\x40\x40\x83\x60\x81\x40\x00\x00\xff\x2f\x00'
} >"$out/seed-format1.mid"
