#!/bin/bash
# check-stage.sh VAPOREL_SIM STAGE_DIR solution|untouched
#   solution:  the stage's solution.txt, replayed to its end frame, clears the
#              stage (state=1 there) and ends at the hash the file gives.
#   untouched: the stage left as it is reaches no clear in 3,000 frames
#              (state=1 on no frame; a loss is fine).
set -euo pipefail
sim="$1" stage="$2" mode="$3"
UntouchedFrames=3000

fail() { echo "FAIL: $stage: $*" >&2; exit 1; }

# A hang ends after a generous limit instead of holding the test run.
run_sim() { timeout 300 "$sim" "$stage" "$@"; }

case "$mode" in
solution)
    [ -f "$stage/solution.txt" ] || fail "no solution.txt"
    # --replay itself refuses a hash that differs from the file's end line.
    out=$(run_sim --replay "$stage/solution.txt") || fail "the solution does not replay"
    last=$(grep '^frame=' <<<"$out" | tail -n 1)
    grep -q ' state=1 ' <<<"$last" || fail "the solution ends without the stage cleared: $last"
    echo "cleared: $last"
    ;;
untouched)
    out=$(run_sim --frames "$UntouchedFrames") || fail "the stage does not run"
    if cleared=$(grep -m 1 ' state=1 ' <<<"$out"); then
        fail "cleared untouched: $cleared"
    fi
    echo "not cleared in $UntouchedFrames frames: $(grep '^frame=' <<<"$out" | tail -n 1)"
    ;;
*)
    fail "unknown mode '$mode'"
    ;;
esac
