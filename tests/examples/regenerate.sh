#!/usr/bin/env bash
# Rewrites the expected output of the bundled example (tests/data/golden/demo/)
# from FORMEVAL_EXE (default: the formeval built in build/release). Run it only
# when an output change is meant, and review the difference before committing.
#
#   tests/examples/regenerate.sh [FORMEVAL_EXE]
set -euo pipefail
exe=${1:+$(realpath "$1")}
cd "$(dirname "$0")/../.."
build=build/release
[ -f "$build/CMakeCache.txt" ] || cmake --preset release >/dev/null
nice -n 10 cmake --build "$build" -j"$(nproc)" --target formeval golden_test >/dev/null
mkdir -p tests/data/golden/demo
FORMEVAL_GOLDEN_UPDATE=1 FORMEVAL_GOLDEN_EXE=${exe:-$PWD/$build/formeval} \
    "$build/tests/examples/golden_test" --gtest_brief=1
git status --short tests/data/golden/demo
