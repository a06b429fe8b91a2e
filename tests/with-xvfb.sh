#!/usr/bin/env bash
# Runs a command under a private X server.
set -euo pipefail
source "$(dirname "$0")/xvfb.sh"
start_xvfb "${XVFB_SCREEN:-1280x1024x24}"
trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
"$@"
