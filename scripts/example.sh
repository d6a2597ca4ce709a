#!/usr/bin/env bash
# Builds formeval, formreport and the Python module, runs formeval on the bundled example in a
# scratch directory, so that the repository stays clean, draws the roundness
# charts of its circle records and the plots of its straightness and flatness
# records with formreport, and prints where the outputs went.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Configured as scripts/test.sh configures it, which then reuses this build.
source scripts/buildenv.sh
cmake --preset release >/dev/null
targets="formeval formreport"
# The Python package's compiled module too, where the build has it (pybind11
# and numpy found).
if cmake --build --preset release --target help 2>/dev/null | grep -q '^formeval_python:'; then
    targets="$targets formeval_python"
fi
cmake --build --preset release -j"$(nproc)" --target $targets

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
if ls build/release/python/formeval/_core*.so >/dev/null 2>&1; then
    echo
    echo "The Python package, installed into a virtual environment ENV with the module just built"
    echo "(docs/python.md):"
    echo "    python3 -m venv --system-site-packages ENV"
    echo "    FORMEVAL_BUILD_DIR=$build ENV/bin/python -m pip install --no-build-isolation $PWD"
fi
