#!/usr/bin/env bash
# Runs a command under a private X server. The server picks a free display
# number itself (-displayfd), so tests running side by side never race for one.
set -euo pipefail

screen="${XVFB_SCREEN:-1280x1024x24}"
fifo="$(mktemp -u)"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -f "$fifo"' EXIT
if ! read -r -t 20 display <"$fifo"; then
    echo "cannot start Xvfb" >&2
    exit 1
fi
DISPLAY=":$display" "$@"
