# start_xvfb [SCREEN]: starts a private X server on a display number it picks
# itself (-displayfd), so tests running side by side never race for one;
# exports DISPLAY and sets XVFB_PID. The caller stops the server.
start_xvfb() {
    local screen="${1:-1280x1024x24}" fifo display
    fifo="$(mktemp -u)"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    if ! read -r -t 120 display <"$fifo"; then # generous: a loaded machine starts it slowly
        rm -f "$fifo"
        echo "cannot start Xvfb" >&2
        exit 1
    fi
    rm -f "$fifo"
    export DISPLAY=":$display"
}
