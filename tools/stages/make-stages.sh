#!/bin/sh
# Makes every shipped stage folder data/stages/NNNN from its text form
# tools/stages/NNNN.txt, with the stage maker of the build folder BUILD
# (default build): tools/stages/make-stages.sh [BUILD]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
maker="${1:-$root/build}/tools/stage-maker/stage-maker"
for source in "$root"/tools/stages/[0-9][0-9][0-9][0-9].txt; do
    stage=$(basename "$source" .txt)
    "$maker" "$source" "$root/data/stages/$stage"
done
