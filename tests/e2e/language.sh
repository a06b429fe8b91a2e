#!/usr/bin/env bash
# The player's language: under a Japanese locale the title's texts are
# Japanese (drawn in a face for Japanese, with no font trouble in the log) and
# --help answers in Japanese; under any other locale they are English, and so
# they are under a Japanese locale whose catalogue is damaged (the log says so).
# Usage: language.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

GAME_FOLDER="$1"
# The title's lowest band (how to play, F1) once the first frames are drawn:
# outline letters, whose Latin face is the same under every locale.
title_bands() { # title_bands NAME
    start_game_window "$1"
    xdotool mousemove $((X0 + 1000)) $((Y0 + 20))
    picture_part 0 700 1024 68 bare "$WORK/game/images/Title.jpg"
    wait_until 15 eval 'grab 0 700 1024 68 bands && ! below "$(difference bands bare)" 0.03'
    cp "$WORK/bands.png" "$RESULTS/$2.png"
    cp "$WORK/game/vaporel.Z5.log" "$RESULTS/$2.log"
    end_game
    kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
RESULTS="$(mktemp -d)"
trap 'cleanup; rm -rf "$RESULTS"' EXIT

# A Japanese catalogue cut in half.
cut_japanese_catalogue() {
    local catalogue="$WORK/game/locale/ja/LC_MESSAGES/vaporel.mo"
    head -c $(($(stat -c %s "$catalogue") / 2)) "$catalogue" >"$catalogue.cut" && mv "$catalogue.cut" "$catalogue"
}

LANG=C.UTF-8 title_bands "$GAME_FOLDER" english
LANG=ja_JP.UTF-8 title_bands "$GAME_FOLDER" japanese
LANG=ja_JP.UTF-8 BEFORE_START=cut_japanese_catalogue title_bands "$GAME_FOLDER" damaged
WORK="$RESULTS"
check "the Japanese title's texts are not the English ones" \
    eval '! below "$(difference english japanese)" 0.01'
check "a damaged Japanese catalogue gives the English title" eval 'below "$(difference english damaged)" 0.01'
check "the log names the damaged catalogue and what is wrong" \
    grep -q "ja/LC_MESSAGES/vaporel.mo cannot be read (cut short)" "$RESULTS/damaged.log"
check "no font trouble under the Japanese locale" eval '! grep -qi "font\|character" "$RESULTS/japanese.log"'
check "--help answers in Japanese under a Japanese locale" \
    eval 'LANGUAGE=ja "$GAME_FOLDER/vaporel" --help | grep -q "使い方: vaporel"'
check "--help answers in English under another locale" \
    eval 'LANG=de_DE.UTF-8 "$GAME_FOLDER/vaporel" --help | grep -q "^usage: vaporel"'
finish
