#!/usr/bin/env bash
# What the package's hardened flags (cmake/DebianBuildFlags.cmake) cost the
# water: the simulation benchmark of a plain Release build and of one with the
# package's flags, run in turns so that a busy machine slows both alike, with
# the median of each case's box time per particle and frame over the rounds.
# First the stage runner of both replays every shipped stage's solution: the
# two must print the same frames to the bit.
# Usage: bench/hardening-cost.sh [ROUNDS [PLAIN_BUILD HARDENED_BUILD]]
#   ROUNDS  turns of each benchmark (default 5)
#   the build folders default to build-bench-plain and build-bench-hardened,
#   configured here when they do not exist; both are brought up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-5}"
plain="${2:-build-bench-plain}" hardened="${3:-build-bench-hardened}"
configure() { # configure FOLDER [CMAKE ARGUMENTS]
    local folder="$1"; shift
    [ -f "$folder/CMakeCache.txt" ] ||
        cmake "$@" -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVAPOREL_TESTS=OFF -DVAPOREL_BENCH=ON >/dev/null
    cmake --build "$folder" --target vaporel_sim_bench vaporel-sim >&2
}
configure "$plain"
configure "$hardened" -C cmake/DebianBuildFlags.cmake
grep -q -- "-D_FORTIFY_SOURCE" "$hardened/CMakeCache.txt" || { echo "$hardened is not built with the package's flags" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for stage in data/stages/[0-9]*/; do
    for variant in plain hardened; do
        "${!variant}/game/vaporel-sim" "$stage" --replay "$stage/solution.txt" --every 60 >"$work/$variant.frames"
    done
    cmp -s "$work/plain.frames" "$work/hardened.frames" ||
        { echo "the stage runner's frames of $stage differ between the two builds" >&2; exit 1; }
done
echo "the stage runner prints the same frames in both builds for every shipped solution"

# case name (the first 16 columns) and box ns (the fourth number) of each case
for ((round = 1; round <= rounds; round++)); do
    for variant in plain hardened; do
        "${!variant}/bench/vaporel_sim_bench" --blocks 5 |
            awk -v variant="$variant" 'NR > 2 { name = substr($0, 1, 16); sub(/ +$/, "", name); split(substr($0, 17), f, " ");
                print variant "\t" name "\t" f[3] }' >>"$work/times"
    done
done
echo "box ns per particle and frame, median of $rounds rounds (load $(cut -d' ' -f1-3 /proc/loadavg))"
printf "%-16s %9s %9s %7s\n" case plain hardened ratio
awk -F'\t' '{ times[$2 "\t" $1] = times[$2 "\t" $1] " " $3; if (!($2 in seen)) { seen[$2] = 1; order[++n] = $2 } }
    function median(list,   v, k, i, j, t) { k = split(list, v, " ");
        for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
        return k % 2 ? v[(k + 1) / 2] : (v[k / 2] + v[k / 2 + 1]) / 2 }
    END { for (i = 1; i <= n; i++) { p = median(times[order[i] "\tplain"]); h = median(times[order[i] "\thardened"]);
        printf "%-16s %9.1f %9.1f %7.3f\n", order[i], p, h, h / p } }' "$work/times"
