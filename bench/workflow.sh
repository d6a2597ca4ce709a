#!/usr/bin/env bash
# The batch workflow end to end: PARTS point files (default 500) of 3600-point
# roundness traces (25 mm, three lobes of 1 to 1.5 um, chatter at 15 and 120
# UPR, 0.3 um of deterministic noise, coordinates to 0.1 nm), then, RUNS times
# each (default 5), in turns so that a busy machine slows them alike:
#   results  --feature circle, unfiltered and with --filter 50, a tolerance
#            (every reference certified, one verdict a part, the batch);
#   report   the filed HTML page of the same batch, filtered, with a header.
# Prints each command's median, lowest and highest wall time and its median
# user time, and the report's size, for each formreport named (default the
# release build's); several, say a previous build and this one, run in turns.
#
#   bench/workflow.sh [-n RUNS] [-p PARTS] [FORMREPORT...]
set -euo pipefail
runs=5
parts=500
while [ $# -gt 0 ]; do
    case $1 in
        -n) runs=$2; shift 2 ;;
        -p) parts=$2; shift 2 ;;
        *) break ;;
    esac
done
root=$(cd "$(dirname "$0")/.." && pwd)
exes=("$@")
[ ${#exes[@]} -gt 0 ] || exes=("$root/build/release/formreport")
for i in "${!exes[@]}"; do exes[$i]=$(realpath "${exes[$i]}"); done
scratch=$(mktemp -d "${TMPDIR:-/tmp}/formreport-workflow-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
awk -v parts="$parts" 'function noise(i, p,  n) { n = sin(i * 12.9898 + 78.233 + p * 0.37) * 43758.5453; return n - int(n) }
BEGIN {
    pi = atan2(0, -1)
    for (p = 1; p <= parts; p++) {
        f = sprintf("part%03d.csv", p)
        print "x_mm,y_mm" > f
        a = 0.001 + 0.0005 * sin(p)
        for (i = 0; i < 3600; i++) {
            t = 2 * pi * i / 3600
            r = 25 + a * cos(3 * t + 0.1 * p) + 0.0002 * sin(15 * t) + 0.0001 * cos(120 * t) + 0.0003 * (noise(i, p) - 0.5)
            printf "%.7f,%.7f\n", 40 + r * cos(t), -12 + r * sin(t) > f
        }
        close(f)
    }
}'
names=(results results-filtered report-filtered)
commands=(
    "results part*.csv --feature circle --unit mm --tolerance 0.004 -q"
    "results part*.csv --feature circle --unit mm --tolerance 0.004 --filter 50 -q"
    "report part*.csv --feature circle --unit mm --tolerance 0.004 --filter 50 -q --part Ring --operator Bench -o report.html"
)
declare -A times
for ((r = 0; r < runs; r++)); do
    for k in "${!commands[@]}"; do
        for e in "${!exes[@]}"; do
            # shellcheck disable=SC2086
            /usr/bin/time -f "%e %U" -o time.txt "${exes[$e]}" ${commands[$k]} >/dev/null 2>&1 ||
                echo "workflow: ${exes[$e]} ${names[$k]} failed" >&2
            times[$e,$k]+="$(tail -1 time.txt)"$'\n'
        done
    done
done
for e in "${!exes[@]}"; do
    echo "${exes[$e]}"
    printf "  %-18s %8s %8s %8s %8s   (%d parts of 3600 points, %d runs)\n" command median lowest \
        highest user "$parts" "$runs"
    for k in "${!commands[@]}"; do
        printf "%s" "${times[$e,$k]}" | sort -n | awk -v name="${names[$k]}" '
            { wall[NR] = $1; user[NR] = $2 }
            END { n = NR; m = (n % 2) ? wall[(n + 1) / 2] : (wall[n / 2] + wall[n / 2 + 1]) / 2
                  printf "  %-18s %7.2fs %7.2fs %7.2fs %7.2fs\n", name, m, wall[1], wall[n], user[int((n + 1) / 2)] }'
    done
done
echo "report.html (the last run's): $(stat -c %s report.html) bytes"
