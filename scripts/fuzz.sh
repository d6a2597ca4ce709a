#!/usr/bin/env bash
# Fuzzes the job stream for a while (default 60 seconds) with libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer, in the sanitized build
# (preset "sanitize", build/sanitize). Crashing inputs are left in
# build/sanitize/ as crash-* files; turn each into a regression test. The fuzz
# target runs each study for a few repetitions only, so an input takes
# milliseconds; one that runs for a minute counts as hung.
#
#   scripts/fuzz.sh [--prebuilt] [seconds]
#
# --prebuilt: the target is built already (scripts/test.sh builds it with the
# rest of the sanitized build); neither configure nor build.
set -euo pipefail
cd "$(dirname "$0")/.."
prebuilt=false
if [ "${1:-}" = --prebuilt ]; then
    prebuilt=true
    shift
fi
seconds=${1:-60}
build=$PWD/build/sanitize
if ! $prebuilt; then
    scripts/deps.sh
    source scripts/buildenv.sh
    cmake --preset sanitize >/dev/null
    cmake --build --preset fuzz -j"$(nproc)"
fi
# The target works in a scratch directory of its own, so every path is absolute.
mkdir -p "$build/fuzz-corpus"
"$build/tests/fuzz/jobstream_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=60 \
    -rss_limit_mb=4096 -print_final_stats=1 -seed=1 -artifact_prefix="$build/" \
    "$build/fuzz-corpus" "$PWD/tests/fuzz/seeds"
