#!/usr/bin/env bash
# Builds formeval and runs the whole test suite twice: in the optimised build
# (preset "release", g++), then under AddressSanitizer and
# UndefinedBehaviorSanitizer (preset "sanitize", clang++), while the job
# stream is fuzzed for a minute beside the sanitized run. Each build is made
# once and holds everything its runs need: the release build formeval,
# formreport, the tests and the benchmarks; the sanitized build the tests and
# the fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
start=$SECONDS
elapsed() { echo "test.sh: $1 after $((SECONDS - start)) s"; }

# ccache keeps the objects of earlier builds on this machine; a fresh clone
# anywhere reuses them, since paths are taken relative to the clone.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1 CCACHE_SLOPPINESS=pch_defines,time_macros
fi

cmake --preset release
cmake --build --preset release -j"$jobs"
ctest --preset release -j"$jobs"
elapsed "release build and tests passed"

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
