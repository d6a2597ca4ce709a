#!/usr/bin/env bash
# Builds formeval and runs its tests twice: the whole suite in the optimised
# build (preset "release", g++), then the sanitized run (preset "sanitize",
# clang++ with AddressSanitizer and UndefinedBehaviorSanitizer: the tests
# labelled "sanitize", which reach every library's code on small inputs)
# while the job stream is fuzzed for a minute beside it. Each build is made
# once and holds everything its runs need: the release build formeval,
# formreport, the Python module and the tests (the benchmarks are built on
# demand: cmake --build --preset bench); the sanitized build the tests of its
# run and the fuzz target. Each phase ends with the time so far and the CPU
# time (user, system) of the commands run so far.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
source scripts/buildenv.sh
jobs=$(nproc)
start=$SECONDS
cpu=$(mktemp)
trap 'rm -f "$cpu"' EXIT
elapsed() {
    times >"$cpu" # in this shell: the user and system time of the commands it waited for
    echo "test.sh: $1 after $((SECONDS - start)) s (CPU so far: $(tail -n 1 "$cpu"))"
}

cmake --preset release
cmake --build --preset release -j"$jobs"
elapsed "release build done"
ctest --preset release -j"$jobs"
elapsed "release tests passed"

cmake --preset sanitize
cmake --build --preset sanitize -j"$jobs"
elapsed "sanitized build done"

# The fuzzer (one process) runs beside the sanitized tests, which leave
# the cores idle now and then while they wait for the runs they start.
fuzzlog=build/sanitize/fuzz.log
scripts/fuzz.sh --prebuilt 60 >"$fuzzlog" 2>&1 &
fuzzer=$!
status=0
ctest --preset sanitize -j"$jobs" || status=$?
fuzzstatus=0
wait "$fuzzer" || fuzzstatus=$?
if [ "$fuzzstatus" -ne 0 ]; then
    tail -n 60 "$fuzzlog"
    echo "test.sh: the fuzzer failed (status $fuzzstatus); its log is $fuzzlog" >&2
    status=1
else
    grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$fuzzlog" || true
fi
[ "$status" -eq 0 ] || exit "$status"
elapsed "sanitized tests and fuzzing passed"
