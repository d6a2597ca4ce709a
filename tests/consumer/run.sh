#!/usr/bin/env bash
# Installs the build to a temporary prefix, then builds the consumer project
# against it twice, through find_package(formeval) and through pkg-config,
# and runs both; checks that the installed headers name no third-party
# library and declare no global variable.
# usage: run.sh BUILD_DIR CXX
set -euo pipefail
build=$1
cxx=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"
headers=$(find "$prefix/include/formeval" -name '*.h' | sort)
for lib in pointset methods profile statistics uncertainty; do
    [ -f "$prefix/include/formeval/$lib/$lib.h" ] || { echo "not installed: $lib.h"; exit 1; }
done
if grep -nE '#include *[<"](CGAL|glpk|fftw|gmp|mpfr|boost)' $headers; then
    echo "an installed header includes a third-party library"; exit 1
fi
if grep -nE '^\s*extern\s' $headers; then
    echo "an installed header declares a global"; exit 1
fi

cmake -S "$here" -B "$scratch/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Release >"$scratch/configure.log" ||
    { cat "$scratch/configure.log"; exit 1; }
cmake --build "$scratch/cmake" >"$scratch/build.log" || { cat "$scratch/build.log"; exit 1; }
"$scratch/cmake/consumer"

pcdir=$(dirname "$(find "$prefix" -name formeval.pc)")
flags=$(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs formeval)
echo "pkg-config: $flags"
"$cxx" -std=c++17 -o "$scratch/consumer-pc" "$here/consumer.cpp" $flags
"$scratch/consumer-pc"
