#!/usr/bin/env bash
# The window's X11 class is the one the desktop entry names as StartupWMClass,
# so desktops tie the window to the menu entry and its icon; a copy of the
# program under another file name keeps it.
# Usage: desktop-entry.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"
entry="$(dirname "$0")/../../resources/io.github.vaporel.vaporel.desktop"
wanted="$(sed -n 's/^StartupWMClass=//p' "$entry")"
check "the desktop entry names a StartupWMClass" [ -n "$wanted" ]

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
mv "$WORK/game/vaporel" "$WORK/game/renamed-game"
GAME="$WORK/game/renamed-game"
start_game
window=$(find_window "$TITLE" 10) || { fail "the window opens"; finish; }
# WM_CLASS(STRING) = "instance", "class"
class="$(xprop -id "$window" WM_CLASS | sed -n 's/.*= "\(.*\)", "\(.*\)"$/\2/p')"
check "the window's class is the entry's StartupWMClass ($class, $wanted)" [ "$class" = "$wanted" ]
end_game
finish
