#!/bin/sh
# Ends a stage's solution where the stage runner sets Finished, six seconds
# after the clear or the loss: rewrites the end line of STAGE_DIR/solution.txt
# (the replay's header, comments and steps are kept) with that frame and the
# water's hash there. The runner of the build folder BUILD (default build):
#   tools/stages/seal-solution.sh STAGE_DIR [BUILD]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
stage="$1"
sim="${2:-$root/build}/game/vaporel-sim"
solution="$stage/solution.txt"
MaxFrames=6000
body=$(grep -v ' end hash=' "$solution")
trial=$(mktemp)
trap 'rm -f "$trial"' EXIT
printf '%s\n%d end hash=0000000000000000\n' "$body" "$MaxFrames" >"$trial"
finished=$("$sim" "$stage" --replay "$trial" --frames "$MaxFrames" | sed -n 's/^frame=\([0-9]*\) .* finished=1 .*$/\1/p' | head -n 1)
[ -n "$finished" ] || { echo "$solution: Finished is not set within $MaxFrames frames" >&2; exit 1; }
hash=$("$sim" "$stage" --replay "$trial" --frames "$finished" | sed -n 's/^hash=//p')
printf '%s\n%d end hash=%s\n' "$body" "$finished" "$hash" >"$solution"
echo "$solution: ends at frame $finished"
