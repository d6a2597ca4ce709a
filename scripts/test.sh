#!/usr/bin/env bash
# Builds formeval and runs the whole test suite twice: in an optimised build,
# then under AddressSanitizer and UndefinedBehaviorSanitizer; then fuzzes the
# job stream for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DFORMEVAL_WERROR=ON
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j"$jobs"

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DFORMEVAL_SANITIZE=ON \
    -DFORMEVAL_BENCH=OFF -DFORMEVAL_WERROR=ON
cmake --build build/sanitize -j"$jobs"
ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

scripts/fuzz.sh 60
