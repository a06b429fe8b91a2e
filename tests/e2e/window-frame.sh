#!/usr/bin/env bash
# Under a window manager that draws a frame (title bar, borders) and keeps
# windows off a panel, the whole frame of the game's window lies within the
# screen's usable area: on a 1366 x 768 and a 1280 x 720 screen with a
# 32-pixel panel at the bottom, and on a 1024 x 768 screen, the window is the
# largest 4:3 one whose frame fits; on a large screen it stays 1024 x 768.
# Usage: window-frame.sh GAME_FOLDER
source "$(dirname "$0")/lib.sh"

make_game_copy "$1"
HELPERS=()
cleanup_helpers() { [ ${#HELPERS[@]} -gt 0 ] && kill "${HELPERS[@]}" 2>/dev/null; HELPERS=(); }
trap 'cleanup_helpers; cleanup' EXIT

# A panel: a window along the bottom of the screen that reserves its height
# (_NET_WM_STRUT), as a desktop's panel does.
start_panel() { # start_panel SCREEN_WIDTH SCREEN_HEIGHT HEIGHT
    xmessage -name panel -geometry "$1x$3+0+$(($2 - $3))" panel >/dev/null 2>&1 &
    HELPERS+=($!)
    local panel
    panel=$(find_window panel 30) || { fail "the panel opens"; return 1; }
    xprop -id "$panel" -f _NET_WM_STRUT 32c -set _NET_WM_STRUT "0, 0, 0, $3"
    usable_height=$(($2 - $3))
    wait_until 30 eval '[ "$(work_area | cut -d" " -f4)" = "$usable_height" ]'
}

# The usable area the window manager gives: X Y WIDTH HEIGHT.
work_area() { xprop -root _NET_WORKAREA | awk -F'[=,]' '{ print $2 + 0, $3 + 0, $4 + 0, $5 + 0 }'; }

# The game window's frame on the screen, LEFT TOP RIGHT BOTTOM (exclusive),
# once the window manager has told the frame and the game has fitted itself.
frame_of() { # frame_of WINDOW
    local extents left right top bottom x y w h
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | awk -F'[=,]' '{ print $2 + 0, $3 + 0, $4 + 0, $5 + 0 }')
    read -r left right top bottom <<<"$extents"
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')
    echo $((x - left)) $((y - top)) $((x + w + right)) $((y + h + bottom)) "$w" "$h" "$top"
}

# scenario SCREEN PANEL EXPECTED_SIZE: the game on its own screen with a
# decorating window manager and a panel of PANEL pixels (0: none).
scenario() {
    local width=${1%%x*} rest=${1#*x} height
    height=${rest%%x*}
    start_xvfb "$1"
    HELPERS+=("$XVFB_PID")
    rm -f "$WORK/managing"
    openbox --sm-disable --startup "touch $WORK/managing" >/dev/null 2>&1 &
    HELPERS+=($!)
    wait_until 30 test -f "$WORK/managing"
    [ "$2" -gt 0 ] && start_panel "$width" "$height" "$2"
    start_game
    local window frame area
    window=$(find_window "$TITLE" 60) || { fail "$1: the window opens"; cleanup_helpers; return; }
    frame_settled() { frame=$(frame_of "$window") && [ "$(echo "$frame" | cut -d' ' -f7)" -gt 0 ] &&
        read -r l t r b w h _ <<<"$frame" && [ "$b" -le "$ab" ] && [ "$t" -ge "$ay" ]; }
    read -r ax ay aw ah < <(work_area)
    ab=$((ay + ah))
    wait_until 30 frame_settled || true
    read -r l t r b w h _ <<<"$frame"
    check "$1, panel $2: the frame ($l,$t)-($r,$b) lies within the usable area ($ax,$ay ${aw}x$ah)" \
        [ "$l" -ge "$ax" -a "$t" -ge "$ay" -a "$r" -le $((ax + aw)) -a "$b" -le "$ab" ]
    check "$1, panel $2: the window is ${w}x$h ($3 expected)" [ "${w}x$h" = "$3" ]
    focus "$window"
    end_game
    check "$1: the game ends normally" [ "$GAME_STATUS" = 0 ]
    cleanup_helpers
}

# The frame here: 20 pixels of title bar, 5 below, 1 on each side.
scenario 1366x768x24 32 948x711
scenario 1280x720x24 32 884x663
scenario 1024x768x24 0 991x743
scenario 1920x1080x24 32 1024x768
finish
