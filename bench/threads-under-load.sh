#!/usr/bin/env bash
# The water on one thread and on two while two other busy processes share the
# machine: vaporel-sim runs the shipped stage with --threads 1 and --threads 2
# in turns, and the script prints the wall and processor time of every run,
# the median wall time of each count and their ratio, and the load average.
# Both counts must print the same hash.
#
#   bench/threads-under-load.sh [BUILD_DIR [RUNS [FRAMES]]]
set -euo pipefail

build=${1:-build}
runs=${2:-5}
frames=${3:-2000}
root=$(cd "$(dirname "$0")/.." && pwd)
sim=$build/game/vaporel-sim
stage=$root/data/stages/0001
[[ -x $sim ]] || { echo "no $sim: build the target vaporel-sim first" >&2; exit 1; }

busy=()
stop_busy() {
    for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${busy[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop_busy EXIT
for _ in 1 2; do
    bash -c 'while :; do :; done' &
    busy+=("$!")
done

# One run: prints "wall cpu hash".
run() {
    local threads=$1 out times wall user sys
    out=$(mktemp)
    times=$(mktemp)
    /usr/bin/time -o "$times" -f '%e %U %S' "$sim" "$stage" --frames "$frames" --every "$frames" \
        --threads "$threads" >"$out"
    read -r wall user sys <"$times"
    echo "$wall $(echo "$user + $sys" | bc) $(sed -n 's/^hash=//p' "$out")"
    rm -f "$out" "$times"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

declare -A walls hashes
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); two busy processes started"
for ((i = 1; i <= runs; ++i)); do
    for threads in 1 2; do
        read -r wall cpu hash <<<"$(run "$threads")"
        printf 'run %d  --threads %d  wall %6.2f s  cpu %6.2f s  hash %s\n' "$i" "$threads" "$wall" "$cpu" "$hash"
        walls[$threads]+="$wall "
        hashes[$threads]+="$hash "
    done
done
one=$(tr ' ' '\n' <<<"${walls[1]}" | grep . | median)
two=$(tr ' ' '\n' <<<"${walls[2]}" | grep . | median)
echo "median wall: --threads 1 $one s, --threads 2 $two s, ratio $(echo "scale=2; $two / $one" | bc)"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
if [[ $(tr ' ' '\n' <<<"${hashes[1]}${hashes[2]}" | grep . | sort -u | wc -l) -ne 1 ]]; then
    echo "HASHES DIFFER" >&2
    exit 1
fi
