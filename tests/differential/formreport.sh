#!/usr/bin/env bash
# The differential run of formreport: runs BASELINE_FORMREPORT and the
# formreport just built on the bundled examples and on COUNT (default 300) job
# streams generated from SEED (default 1) with their result files, with every
# command and its main options, and compares exit status, standard output,
# standard error and every file written, byte for byte.
#
#   tests/differential/formreport.sh [--keep DIR] BASELINE_FORMREPORT [FORMEVAL] [COUNT] [SEED]
#
# The result files come from FORMEVAL (default: the formeval just built) run
# on each stream. Every command that differs is printed with the input it
# ran on; with --keep, the inputs and both runs' outputs of each difference
# are left in DIR. Exit status 0: nothing differs; 1: something does; 2: wrong
# usage. BUILD_DIR chooses the build directory (default build/release).
set -euo pipefail
usage() {
    echo "usage: $0 [--keep DIR] BASELINE_FORMREPORT [FORMEVAL] [COUNT] [SEED]" >&2
    exit 2
}
keep=""
if [ "${1:-}" = --keep ]; then
    [ $# -ge 2 ] || usage
    keep=$(realpath -m "$2")
    shift 2
fi
[ $# -ge 1 ] && [ $# -le 4 ] || usage
baseline=$(realpath "$1")
cd "$(dirname "$0")/../.."
root=$PWD
build=${BUILD_DIR:-build/release}
[ -f "$build/CMakeCache.txt" ] || cmake --preset release >/dev/null
nice -n 10 cmake --build "$build" -j"$(nproc)" --target formeval formreport formeval_differential >/dev/null
candidate=$(realpath "$build/formreport")
formeval=$(realpath "${2:-$build/formeval}")
count=${3:-300}
seed=${4:-1}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
inputs=$work/inputs
mkdir -p "$inputs"

# The bundled examples with the result files formeval writes for them.
for example in demo roundness; do
    mkdir -p "$inputs/$example"
    cp examples/$example/* "$inputs/$example/"
    (cd "$inputs/$example" && "$formeval" </dev/null >/dev/null 2>&1 || true)
    rm -f "$inputs/$example/intres.txt"
done
"$build/tests/differential/formeval_differential" --jobs "$(nproc)" --write "$inputs" \
    "$formeval" "$count" "$seed" >/dev/null

# The commands, each run in a fresh copy of one input directory. Pictures in
# PNG take longest: they are drawn for the examples and every tenth stream.
commands=(
    "summary result.txt"
    "summary --csv result.txt"
    "summary --jobs cir1.txt result.txt"
    "summary --jobs cir1.txt --csv --coverage 99 --digits 6 result.txt"
    "summary --jobs cir1.txt --histograms histograms --convergence convergence result.txt"
    "summary --skip-malformed --bins 7 --tolerance-digits 3 --unit mm result.txt"
    "polar -o charts cir1.txt"
    "polar -o charts --filter 50 cir1.txt"
    "polar -o charts --harmonics cir1.txt"
    "polar -o charts --magnification 1000 --unit mm cir1.txt"
    "results cir1.txt"
    "results --csv cir1.txt"
    "results --json cir1.txt"
    "results --tolerance 0.001 cir1.txt"
    "results --tolerance 2500=1e-6 --tolerance 0.01 --csv --unit mm cir1.txt"
    "results --json --tolerance 0.001 --digits 5 cir1.txt"
    "results --orthogonal --json cir1.txt"
    "results --filter 50 --json cir1.txt"
    "uncertainty --sigma 0.0005 --trials 50 --seed 3 --json cir1.txt"
)
pngcommands=(
    "summary --jobs cir1.txt --histograms histograms --convergence convergence --png --unit mm result.txt"
    "polar -o charts --png --filter 15 --harmonics --unit um cir1.txt"
)
# The command line itself, once: help texts, refusals, missing files.
oncecommands=(
    "--help"
    "summary --help"
    "polar --help"
    "results --help"
    ""
    "summary"
    "frobnicate"
    "summary missing.txt"
    "polar -o charts --filter 7 cir1.txt"
    "polar -o charts --magnification -1 cir1.txt"
    "results --csv --json cir1.txt"
    "results --tolerance x cir1.txt"
    "results --tolerance 2500=-1 cir1.txt"
    "results missing.txt cir1.txt"
    "summary --coverage 100 result.txt"
    "summary --digits 0 result.txt"
)

# runone DIR COMMAND INDEX: both executables on a copy of DIR; prints a line
# for a difference.
runone() {
    local dir=$1 command=$2 index=$3
    local scratch=$work/run-$index
    rm -rf "$scratch"
    mkdir -p "$scratch"
    local side
    for side in a b; do
        local exe=$baseline
        [ $side = b ] && exe=$candidate
        cp -r "$inputs/$dir" "$scratch/$side"
        # shellcheck disable=SC2086
        (cd "$scratch/$side" && timeout 300 "$exe" $command </dev/null \
            >"$scratch/$side.stdout" 2>"$scratch/$side.stderr"; echo $? >"$scratch/$side.status")
    done
    local what=""
    cmp -s "$scratch/a.status" "$scratch/b.status" || what="exit status"
    [ -n "$what" ] || cmp -s "$scratch/a.stdout" "$scratch/b.stdout" || what="standard output"
    [ -n "$what" ] || cmp -s "$scratch/a.stderr" "$scratch/b.stderr" || what="standard error"
    [ -n "$what" ] || diff -rq "$scratch/a" "$scratch/b" >/dev/null || what="written files"
    if [ -n "$what" ]; then
        echo "$dir: formreport $command: $what differs"
        if [ -n "$keep" ]; then
            mkdir -p "$keep"
            rm -rf "$keep/$index"
            cp -r "$scratch" "$keep/$index"
        fi
    fi
    rm -rf "$scratch"
}
export -f runone
export work inputs baseline candidate keep

list=$work/list
: >"$list"
n=0
add() { printf '%s\0%s\0%s\0' "$1" "$2" "$((n++))" >>"$list"; }
for dir in demo roundness $(cd "$inputs" && ls -d stream-* | sort -t- -k2 -n); do
    for command in "${commands[@]}"; do add "$dir" "$command"; done
    case $dir in
    demo | roundness | stream-*0)
        for command in "${pngcommands[@]}"; do add "$dir" "$command"; done
        ;;
    esac
done
for command in "${oncecommands[@]}"; do add demo "$command"; done

start=$(date +%s)
differences=$work/differences
xargs -0 -n 3 -P "$(nproc)" bash -c 'runone "$0" "$1" "$2"' <"$list" >"$differences"
sort -V "$differences"
ndiff=$(wc -l <"$differences")
echo "$n runs of formreport on $(($(ls "$inputs" | wc -l))) inputs (seed $seed), $ndiff differ; $(($(date +%s) - start)) s"
[ "$ndiff" -eq 0 ]
