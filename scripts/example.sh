#!/usr/bin/env bash
# Builds formeval and runs it on the bundled example in a scratch directory,
# so that the repository stays clean; prints where the outputs went.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target formeval

scratch=$(mktemp -d "${TMPDIR:-/tmp}/formeval-demo-XXXXXX")
cp examples/demo/* "$scratch"/
binary="$PWD/build/release/formeval"
(cd "$scratch" && "$binary" </dev/null)
echo
echo "Console output above. Run files in $scratch:"
ls -l "$scratch"
