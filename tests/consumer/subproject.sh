#!/usr/bin/env bash
# Builds the project in subproject/, which includes this source tree with
# add_subdirectory, and runs its program; checks that formeval chose no build
# type, configured no test and installs nothing there. The build is kept in
# BUILD_DIR/tests/consumer/subproject, so that a second run rebuilds only what
# changed; its configuration is made afresh every time (a change of the
# generator starts the build afresh too).
# usage: subproject.sh BUILD_DIR CXX GENERATOR [COMPILER_LAUNCHER]
set -euo pipefail
build=$1/tests/consumer/subproject
cxx=$2
generator=$3
launcher=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
if [[ -f $build/CMakeCache.txt ]] &&
    ! grep -qx "CMAKE_GENERATOR:INTERNAL=$generator" "$build/CMakeCache.txt"; then
    rm -rf "$build"
fi
mkdir -p "$build"
rm -f "$build/CMakeCache.txt"

cmake -S "$here/subproject" -B "$build" -G "$generator" -DFORMEVAL_SOURCE_DIR="$source" \
    -DCMAKE_CXX_COMPILER="$cxx" ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"} \
    >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
grep -q '^CMAKE_BUILD_TYPE:STRING=$' "$build/CMakeCache.txt" ||
    { echo "the build type is set:"; grep '^CMAKE_BUILD_TYPE' "$build/CMakeCache.txt"; exit 1; }
tests=$(cd "$build" && ctest -N | sed -n 's/^Total Tests: //p')
[[ $tests == 0 ]] || { echo "$tests tests configured in the sub-project"; exit 1; }
cmake --build "$build" -j2 >"$build/build.log" 2>&1 || { cat "$build/build.log"; exit 1; }
"$build/consumer"

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
installed=$(find "$prefix" -type f | wc -l)
[[ $installed == 0 ]] || { echo "the sub-project installed $installed files"; exit 1; }
