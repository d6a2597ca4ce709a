#!/usr/bin/env bash
# Whole-job timings: each study job on a noisy circle of 360 points (radius
# 25 about (40, -15), normal radial noise of 2 um in mm), and job 2500 on one
# of 2048 points, run from start to exit with the console to /dev/null and
# no console input, in a scratch directory. Prints the median wall time of
# RUNS runs (default 3) and the time per repetition, one column per
# executable named (default: the release build's formeval):
#
#   bench/jobtimes.sh [-n RUNS] [EXE...]
#
# Several executables, say a previous build and this one, are run in turns,
# so that a busy machine slows them alike.
set -euo pipefail
runs=3
if [ "${1:-}" = -n ]; then
    runs=$2
    shift 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
exes=("$@")
[ ${#exes[@]} -gt 0 ] || exes=("$root/build/release/formeval")
for i in "${!exes[@]}"; do
    [ -x "${exes[$i]}" ] || { echo "jobtimes: ${exes[$i]} is not an executable" >&2; exit 2; }
    exes[$i]=$(realpath "${exes[$i]}")
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/formeval-jobtimes-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# The points, from a fixed seed (awk's rand with srand(1)), Box-Muller noise.
circle() {
    awk -v n="$1" 'BEGIN {
        srand(1); pi = atan2(0, -1)
        for (i = 0; i < n; i++) {
            u1 = rand(); u2 = rand(); if (u1 < 1e-300) u1 = 1e-300
            r = 25 + 0.002 * sqrt(-2 * log(u1)) * cos(2 * pi * u2)
            t = 2 * pi * i / n
            printf "%.9f %.9f\n", 40 + r * cos(t), -15 + r * sin(t)
        }
    }'
}
circle 360 >"$scratch/points360"
circle 2048 >"$scratch/points2048"
echo "10 36 0.001 3 0 0" >"$scratch/instructions.txt"

# job, repetitions per run
jobs=(2510:1000 2511:10000 2512:100000 2610:1000 2611:10000 2612:100000 2710:1000 2711:10000
    2810:1000 2811:10000 2520:1441 2550:10000 2560:10000 2570:10000 2500:1)

seconds() { date +%s.%N; }

printf '%-6s %12s' job repetitions
for exe in "${exes[@]}"; do printf ' | %24s' "$(basename "$(dirname "$exe")")/$(basename "$exe")"; done
printf '\n'
for entry in "${jobs[@]}"; do
    job=${entry%%:*}
    reps=${entry##*:}
    points=$scratch/points360
    [ "$job" = 2500 ] && points=$scratch/points2048
    { echo "$job $(wc -l <"$points") 0.000001"; cat "$points"; } >"$scratch/cir1.txt"
    declare -A times=()
    for ((k = 0; k < runs; k++)); do
        for i in "${!exes[@]}"; do
            rm -f "$scratch/result.txt" "$scratch/intres.txt"
            start=$(seconds)
            (cd "$scratch" && "${exes[$i]}" </dev/null >/dev/null)
            end=$(seconds)
            times[$i]="${times[$i]:-} $(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')"
        done
    done
    printf '%-6s %12s' "$job" "$reps"
    for i in "${!exes[@]}"; do
        median=$(tr ' ' '\n' <<<"${times[$i]}" | sed '/^$/d' | sort -g | awk '{v[NR] = $1}
            END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
        printf ' | %9.3f s %9.1f us/rep' "$median" "$(awk -v m="$median" -v r="$reps" 'BEGIN { print m * 1e6 / r }')"
    done
    printf '\n'
    unset times
done
