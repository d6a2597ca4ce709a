#!/usr/bin/env bash
# Builds formeval and formreport, runs formeval on the bundled example in a
# scratch directory, so that the repository stays clean, draws the roundness
# charts of its circle records and the plots of its straightness and flatness
# records with formreport, and prints where the outputs went.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target formeval formreport

scratch=$(mktemp -d "${TMPDIR:-/tmp}/formeval-demo-XXXXXX")
cp examples/demo/* "$scratch"/
build=$PWD/build/release
(cd "$scratch" && "$build/formeval" </dev/null)
echo
echo
(cd "$scratch" && "$build/formreport" polar cir1.txt -o plots --unit mm)
echo
echo "Console output above. Run files and plots in $scratch:"
ls -l "$scratch" "$scratch/plots"
