#!/bin/bash
# same-output.sh NATIVE_SIM WEB_SIM STAGES_DIR SCRATCH_DIR
# Runs every shipped stage's solution through the native stage runner and
# through the browser build's (vaporel-sim.js under node), and checks that
# both print the same bytes and end with the same status: the water gives
# the same bits in both. A few bad calls check that errors come out alike.
# Exits 77 (skipped) when the browser build has not been made (scripts/web.sh).
set -uo pipefail
native="$1" web="$2" stages="$3" scratch="$4"
[ -f "$web" ] || { echo "no browser build at $web: run scripts/web.sh" >&2; exit 77; }
export NODE_PATH=/usr/share/nodejs
rm -rf "$scratch" && mkdir -p "$scratch"
status=0

# same NAME ARGS...: the two runners' standard output, standard error and
# status for ARGS.
same() {
    local name="$1"; shift
    "$native" "$@" >"$scratch/$name.native.out" 2>"$scratch/$name.native.err"
    echo "status=$?" >>"$scratch/$name.native.out"
    node --no-experimental-fetch "$web" "$@" >"$scratch/$name.web.out" 2>"$scratch/$name.web.err"
    echo "status=$?" >>"$scratch/$name.web.out"
    if ! cmp -s "$scratch/$name.native.out" "$scratch/$name.web.out" ||
        ! cmp -s "$scratch/$name.native.err" "$scratch/$name.web.err"; then
        echo "FAIL: $name: the browser build's runner prints otherwise:" >&2
        diff "$scratch/$name.native.out" "$scratch/$name.web.out" | head -n 5 >&2
        diff "$scratch/$name.native.err" "$scratch/$name.web.err" | head -n 5 >&2
        status=1
    fi
}

count=0
for stage in "$stages"/[0-9][0-9][0-9][0-9]; do
    name=$(basename "$stage")
    same "$name" "$stage" --replay "$stage/solution.txt" --every 60
    count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "FAIL: no stage in $stages" >&2; status=1; }
first="$stages/0001"
same added-water "$first" --frames 240 --every 40 --add 1:300:100:400 --edit 30:10:20:1
same missing-stage "$scratch/no-such-stage" --frames 1
same bad-number "$first" --frames many
same wrong-stage "$stages/0002" --replay "$first/solution.txt"
[ "$status" = 0 ] && echo "$count stages and 4 other runs: the same output"
rm -rf "$scratch"
exit $status
