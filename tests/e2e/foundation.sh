#!/usr/bin/env bash
# The game's window, keys, options file, log, single instance and idle
# behaviour, tried as a player would under a private X server.
# Usage: foundation.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

start_xvfb "$E2E_SCREEN"
make_game_copy "$1"
TITLE="The Vaporel Vovor of ZANK (ver 1.0.0)"
INI="$WORK/game/vaporel.ini"
LOG="$WORK/game/vaporel.Z5.log"

# --- A first start: the window -----------------------------------------------
start_game
window=$(find_window "$TITLE" 10) || { fail "the window opens"; finish; }
check "the client area is 1024 x 768, centred on 1920 x 1080" [ "$(geometry "$window")" = "448,156 1024x768" ]

# --- A second copy exits at once without a window -----------------------------
first_pid=$GAME_PID
start_game
wait_game_exit 5 || true
check "a second copy exits at once, quietly" [ "$GAME_STATUS" = 0 ]
check "only one game window exists" [ "$(windows_named "$TITLE" | wc -l)" = 1 ]
GAME_PID=$first_pid

# --- Active and inactive ----------------------------------------------------------
caption_is() { [ "$(xdotool getwindowname "$window")" = "$1" ]; }
focus "$window"
check "the active caption is the title" wait_until 10 caption_is "$TITLE"
unfocus
check "the inactive caption says (sleep)" wait_until 10 caption_is "$TITLE (sleep)"
before=$(cpu_ticks); sleep 2; after=$(cpu_ticks)
check "an inactive game uses no processor time (used $((after - before)) ticks in 2 s)" [ $((after - before)) -le 3 ]

# --- F2 shows the debug lines in the top-left corner --------------------------------
focus "$window"
xdotool mousemove 1400 900 # the pointer picture away from the corner looked at
import -window root -crop 200x48+448+156 +repage "$WORK/plain.png"
debug_lines_drawn() {
    import -window root -crop 200x48+448+156 +repage "$WORK/lines.png"
    [ "$(compare -metric AE -fuzz 10% "$WORK/plain.png" "$WORK/lines.png" null: 2>&1)" -gt 100 ]
}
press F2
check "F2 draws the debug lines over the top-left corner" wait_until 10 debug_lines_drawn
press F2

# --- Full screen and back -------------------------------------------------------
press F4
check "F4 covers the screen" wait_until 10 eval '[ "$(geometry "$window")" = "0,0 1920x1080" ]'
press F4
check "F4 again gives back the centred window" wait_until 10 eval '[ "$(geometry "$window")" = "448,156 1024x768" ]'

# --- Escape: the options are written ----------------------------------------------
press F2
press Escape
wait_game_exit 5 || true
check "Escape ends the game normally" [ "$GAME_STATUS" = 0 ]
check "the options file holds both keys" \
    grep -qzP '\[options\]\nIsFullScreen = 0\nVisibleDebugMessage = 1\n' "$INI"

# --- The log ---------------------------------------------------------------------------
stamp='[0-9]{4}/[0-9]{1,2}/[0-9]{1,2} [0-9]{2}:[0-9]{2}'"'"'[0-9]{2}"[0-9]{3}'
check "every log line ends with CR LF" [ "$(grep -c $'\r$' "$LOG")" = "$(wc -l <"$LOG")" ]
check "the log opens with the rule line" grep -qxE -- '-{63}' <(sed -n 1p "$LOG" | tr -d '\r')
check "then the begin banner" grep -qxE "Z5Log begin \($stamp\)" <(sed -n 2p "$LOG" | tr -d '\r')
check "and closes with the end banner" grep -qxE "Z5Log end \($stamp\)" <(tail -n 1 "$LOG" | tr -d '\r')

# --- The mode at exit decides the next start ------------------------------------
sed -i 's/IsFullScreen = 0/IsFullScreen = 1/' "$INI"
start_game
window=$(find_window "$TITLE" 10) || fail "the window opens again"
check "IsFullScreen = 1 starts in full screen" wait_until 10 eval '[ "$(geometry "$window")" = "0,0 1920x1080" ]'
focus "$window"
press Escape
wait_game_exit 5 || true
check "the full-screen mode at exit is saved" grep -q 'IsFullScreen = 1' "$INI"
check "two runs leave two sections in the log" [ "$(grep -c '^Z5Log begin' "$LOG")" = 2 ]

# --- An options file that cannot be written: error line and message box -------
mkdir "$INI.new" # stands where the options are written before they replace the file
start_game
window=$(find_window "$TITLE" 10) || fail "the window opens with a broken options file"
focus "$window"
press Escape
box=$(find_window error 10) && pass "a message box captioned error appears" || fail "the error box appears"
check "the log has the error line" grep -q "Error! Cannot write the options file $INI" "$LOG"
[ -n "${box:-}" ] && { focus "$box"; press Return; }
wait_game_exit 10 || true
check "the failure ends the program with a non-zero status ($GAME_STATUS)" [ "$GAME_STATUS" = 1 ]
rmdir "$INI.new"

# --- A runtime folder that does not exist: the lock falls back, the game starts -----
XDG_RUNTIME_DIR="$WORK/no-such-folder" start_game
window=$(find_window "$TITLE" 10) && pass "the game opens with a missing runtime folder" ||
    fail "the game opens with a missing runtime folder"
[ -n "${window:-}" ] && { focus "$window"; press Escape; }
wait_game_exit 10 || true
check "and ends normally ($GAME_STATUS)" [ "$GAME_STATUS" = 0 ]

# --- No display at all ------------------------------------------------------------
# run_without_display LOCALE: the program's status lands in status, its
# standard error in $WORK/nodisplay.
run_without_display() {
    status=0
    timeout 120 env -u DISPLAY -u WAYLAND_DISPLAY -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="$1" \
        "$GAME" >/dev/null 2>"$WORK/nodisplay" || status=$?
}
run_without_display C
check "with no display the program fails (status $status)" [ "$status" = 1 ]
check "the error says in plain words that no display was found" grep -q "error: No display was found" "$WORK/nodisplay"
check "in English under a locale that is not Japanese" \
    grep -q "error: No display was found: .* The window could not be created$" "$WORK/nodisplay"
check "and to the log in the program's own words" \
    grep -q "Error! No display was found.* ウィンドウが生成できませんでした" "$LOG"
run_without_display ja_JP.UTF-8
check "in Japanese only under a Japanese locale" \
    grep -q "^エラー: ディスプレイが見つかりません。.* ウィンドウが生成できませんでした$" "$WORK/nodisplay"

finish
