#!/usr/bin/env bash
# A stage made, proved and published as a newcomer would: E on the title
# opens the editor on a blank tower; a stroke of outlets into its floor, all
# the water blue, a name and a hint; F5 plays it, and the
# kept clear proves it; F6 then writes one share file, whose proof the stage
# runner checks, and the editor says so; a fresh profile given that file adds
# the stage and the title chooses it.
# Usage: editor.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_game_window "$1"
DATA="$WORK/game"
SHARED="$XDG_DATA_HOME/vaporel/shared"

park_mouse
sleep 1
press e
editor_shows() { # the blank tower's dark stone, not the title picture
    grab 300 200 200 100 now && below "$(convert "$WORK/now.png" -format '%[fx:mean]' info:)" 0.25
}
check "E opens the editor" wait_until 30 editor_shows

# Outlets (tool 3) in the floor, row 47, under the pipe; a stroke is a solid line.
press 3
move_to $((26 * 16 + 8)) $((47 * 16 + 8))
xdotool mousedown 1; sleep 0.2
for ((c = 26; c <= 40; c += 3)); do move_to $((c * 16 + 8)) $((47 * 16 + 8)); done
xdotool mouseup 1; sleep 0.2
park_mouse
# Up/Down choose the number, End sets its largest: the pool all blue.
press Down
press End
press n; xdotool type --delay 100 'Rain'; press Return
press h; xdotool type --delay 100 'Open the floor.'; press Return
grab 0 0 1024 768 made

# F6 before a proof publishes nothing.
press F6
check "an unproved stage is not published" test ! -e "$SHARED"

press F5
playing() { grab 400 100 200 200 now && ! below "$(difference now made)" 0.05; }
check "F5 plays the stage" wait_until 60 playing
# The test play ends six seconds after its kept clear and gives back the
# editor; F6 there publishes the proved stage.
published() { press F6; compgen -G "$SHARED/*.vaporel.txt" >/dev/null; }
check "the kept clear proves the stage, and F6 publishes it" wait_until 300 published
FILE=$(compgen -G "$SHARED/*.vaporel.txt" | head -n 1)
check "the file is named after the stage" test "$(basename "$FILE")" = "rain.vaporel.txt"
check "the file holds the name as typed" grep -qx 'name Rain' "$FILE"
check "and the outlets drawn into the floor" grep -qx 'wwww#\{22\}O\{13\}#\{24\}w\.' "$FILE"
check "its proof holds without a window" "$DATA/vaporel-sim" --verify "$FILE"
check "the editor is back with the map as before the play" below "$(grab 0 0 1024 560 back && picture_part 0 0 1024 560 before "$WORK/made.png" && difference back before)" 0.01

press Escape # the title
end_game

# The file mailed to a friend: a fresh copy of the game with a fresh profile
# adds it, and the title chooses it, so the first click plays the made stage.
FRIEND="$WORK/friend"
mkdir -p "$FRIEND"
cp -r "$1"/. "$FRIEND/game"
rm -rf "$FRIEND/game/vaporel.ini" "$FRIEND/game/vaporel.Z5.log" "$FRIEND/game/progress.ini"* "$FRIEND/game/replays"
export XDG_CONFIG_HOME="$FRIEND/config" XDG_STATE_HOME="$FRIEND/state" XDG_DATA_HOME="$FRIEND/data"
"$FRIEND/game/vaporel" "$FILE" >"$WORK/friend.out" 2>"$WORK/friend.err" &
GAME_PID=$!
added() { grep -qF "is added as user-0001" "$FRIEND/game/vaporel.Z5.log"; }
check "a fresh profile adds the published stage" wait_until 60 added
window=$(find_window "$TITLE" 30) || { fail "the friend's window opens"; finish; }
focus "$window"
xdotool mousemove --window "$window" 512 500 click 1
press Escape
wait_game_exit 30 || true
check "the title chose the made stage: the click played it" [ -s "$FRIEND/game/replays/user-0001.txt" ]
check "the added stage keeps the typed name" grep -q "Rain" "$XDG_DATA_HOME/vaporel/stages/user-0001/data.xml"
finish
