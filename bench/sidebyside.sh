#!/usr/bin/env bash
# Two or more builds of one Google Benchmark program run in turns, so that a
# busy machine slows them alike: ROUNDS rounds (default 5), each executable
# once a round with the arguments after --; prints, per benchmark and
# executable, the median of every counter and of the CPU time, with its
# coefficient of variation over the rounds.
#
#   bench/sidebyside.sh [-n ROUNDS] EXE... [-- BENCHMARK_ARGS...]
set -euo pipefail
rounds=5
if [ "${1:-}" = -n ]; then
    rounds=$2
    shift 2
fi
exes=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    exes+=("$(realpath "$1")")
    shift
done
[ "${1:-}" = -- ] && shift
[ ${#exes[@]} -gt 0 ] || { echo "sidebyside: no executable named" >&2; exit 2; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/formeval-sidebyside-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
for ((round = 0; round < rounds; ++round)); do
    for i in "${!exes[@]}"; do
        "${exes[$i]}" --benchmark_format=json "$@" >"$scratch/$i.$round.json"
    done
done
python3 - "$scratch" "$rounds" "${exes[@]}" <<'PY'
import json, statistics, sys
scratch, rounds, exes = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
rows = {}
for i, exe in enumerate(exes):
    for r in range(rounds):
        for b in json.load(open(f"{scratch}/{i}.{r}.json"))["benchmarks"]:
            if b.get("run_type") == "aggregate":
                continue
            values = {"cpu_time": b["cpu_time"]}
            values.update({k: v for k, v in b.items() if k not in ("cpu_time", "real_time")
                           and isinstance(v, (int, float)) and k not in
                           ("family_index", "per_family_instance_index", "repetitions",
                            "repetition_index", "threads", "iterations")})
            for k, v in values.items():
                rows.setdefault((b["name"], k), {}).setdefault(i, []).append(v)
for (name, key), per in rows.items():
    cells = []
    for i in range(len(exes)):
        v = per.get(i, [])
        if not v:
            cells.append("-")
            continue
        m = statistics.median(v)
        cv = statistics.pstdev(v) / statistics.mean(v) if len(v) > 1 and statistics.mean(v) else 0
        cells.append(f"{m:.4g} (cv {100 * cv:.0f}%)")
    print(f"{name:40} {key:14} " + " | ".join(cells))
PY
