#!/usr/bin/env bash
# Fuzzes the job stream for a while (default 60 seconds) with libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer. Crashing inputs are left in
# build/fuzz/ as crash-* files; turn each into a regression test. A single
# input may legitimately take many seconds under the instrumentation (a
# sampling study of 10 000 repetitions on degenerate points, every one of
# them running its exchange to the prompt), so only one that runs for five
# minutes counts as hung.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/deps.sh clang libclang-rt-dev
CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFORMEVAL_FUZZ=ON \
    -DFORMEVAL_SANITIZE=ON -DFORMEVAL_TESTS=OFF -DFORMEVAL_BENCH=OFF >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target jobstream_fuzz
# The target works in a scratch directory of its own, so every path is absolute;
# crash files land in build/fuzz.
root=$PWD
mkdir -p build/fuzz/corpus
build/fuzz/tests/fuzz/jobstream_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=300 \
    -rss_limit_mb=4096 -print_final_stats=1 -seed=1 -artifact_prefix="$root/build/fuzz/" \
    "$root/build/fuzz/corpus" "$root/tests/fuzz/seeds"
