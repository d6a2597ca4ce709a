#!/usr/bin/env bash
# Builds formeval and the differential run, then runs COUNT (default 1000)
# job streams generated from SEED (default 1) with BASELINE_EXE and with the
# formeval just built, comparing everything they write byte for byte.
#
#   tests/differential/run.sh [--keep DIR] [--only I] BASELINE_EXE [COUNT] [SEED]
#
# Exit status 0: no stream differs; 1: some do (each is printed with its
# first difference); 2: wrong usage. BUILD_DIR chooses the build directory
# (default build/release).
set -euo pipefail
options=()
while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do
    [ $# -ge 2 ] || { echo "usage: $0 [--keep DIR] [--only I] BASELINE_EXE [COUNT] [SEED]" >&2; exit 2; }
    value=$2
    [ "$1" = --keep ] && value=$(realpath -m "$2")
    options+=("$1" "$value")
    shift 2
done
if [ $# -lt 1 ] || [ $# -gt 3 ]; then
    echo "usage: $0 [--keep DIR] [--only I] BASELINE_EXE [COUNT] [SEED]" >&2
    exit 2
fi
baseline=$(realpath "$1")
cd "$(dirname "$0")/../.."
build=build/release
[ -f "$build/CMakeCache.txt" ] || cmake --preset release >/dev/null
nice -n 10 cmake --build "$build" -j"$(nproc)" --target formeval formeval_differential >/dev/null
exec "$build/tests/differential/formeval_differential" --jobs "$(nproc)" "${options[@]}" \
    "$baseline" "$build/formeval" "${2:-1000}" "${3:-1}"
