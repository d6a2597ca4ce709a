#!/usr/bin/env bash
# Installs the package as a user would, `pip install --no-build-isolation`
# from the source tree into a fresh virtual environment (with the system's
# site packages, nothing downloaded), taking the compiled module from this
# build (FORMEVAL_BUILD_DIR) so that nothing is compiled twice; then imports
# it and runs tests/python against it from a scratch directory outside the
# source tree.
# usage: installed.sh PYTHON SOURCE_DIR BUILD_DIR
set -euo pipefail
python=$1
source=$2
build=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$python" -m venv --system-site-packages "$scratch/env"
env=$scratch/env/bin/python
FORMEVAL_BUILD_DIR=$build "$env" -m pip install --no-build-isolation --no-index \
    --no-cache-dir --disable-pip-version-check "$source" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log"; exit 1; }

mkdir "$scratch/tests"
cp "$source"/tests/python/*.py "$scratch/tests/"
cd "$scratch"
# The package imported is the one installed, not one of the source tree.
"$env" - <<'EOF'
import os, sys
import formeval, formeval._core
site = os.path.join(sys.prefix, "lib")
assert formeval.__file__.startswith(site), formeval.__file__
assert formeval._core.__file__.startswith(site), formeval._core.__file__
print("installed:", os.path.dirname(formeval.__file__))
EOF
PYTHONDONTWRITEBYTECODE=1 "$env" -m pytest -q -p no:cacheprovider tests
