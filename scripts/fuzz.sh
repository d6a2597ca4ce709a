#!/usr/bin/env bash
# Fuzzes the job stream (or, with "readers", formreport's readers of point,
# job, result, model and header files and of the command line's values) for
# a while (default 60 seconds) with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, in the sanitized build (preset "sanitize",
# build/sanitize). Crashing inputs are left in build/sanitize/ as crash-*
# files; turn each into a regression test. The job stream's target runs each
# study for a few repetitions only, so an input takes milliseconds; one that
# runs for a minute counts as hung.
#
#   scripts/fuzz.sh [--prebuilt] [seconds] [jobstream|readers]
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
target=${2:-jobstream}
case "$target" in
jobstream) seeds=$PWD/tests/fuzz/seeds ;;
readers) seeds=$PWD/tests/fuzz/readerseeds ;;
*) echo "fuzz.sh: the targets are jobstream and readers, not $target" >&2; exit 2 ;;
esac
build=$PWD/build/sanitize
if ! $prebuilt; then
    scripts/deps.sh
    source scripts/buildenv.sh
    cmake --preset sanitize >/dev/null
    cmake --build --preset fuzz -j"$(nproc)"
fi
# The target works in a scratch directory of its own, so every path is absolute.
corpus=$build/fuzz-corpus
[ "$target" = jobstream ] || corpus=$build/fuzz-corpus-$target
mkdir -p "$corpus"
"$build/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=60 \
    -rss_limit_mb=4096 -print_final_stats=1 -seed=1 -artifact_prefix="$build/" \
    "$corpus" "$seeds"
