#!/usr/bin/env bash
# Installs the build to a temporary prefix, then builds the consumer project
# against it twice, through find_package(formeval) and through pkg-config,
# and runs both; checks that the installed headers name no third-party
# library, declare no global variable and each compile on their own. Given
# PYTHON (a build with the Python package), checks that the package was
# installed whole into the prefix's site-packages, imports from there and
# computes.
# usage: run.sh BUILD_DIR CXX [PYTHON]
set -euo pipefail
build=$1
cxx=$2
python=${3:-}
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
# Each installed header compiles on its own, its includes found under the prefix.
for header in $headers; do
    echo "#include <${header#$prefix/include/}>" |
        "$cxx" -std=c++17 -fsyntax-only -I"$prefix/include" -x c++ - ||
        { echo "not self-contained when installed: $header"; exit 1; }
done

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

if [ -n "$python" ]; then
    package=$(dirname "$(find "$prefix" -path '*/site-packages/formeval/__init__.py')")
    for source in "$here"/../../python/formeval/* "$package"/_core.pyi "$package"/_core.*so; do
        [ -f "$package/$(basename "$source")" ] || { echo "not installed: $source"; exit 1; }
    done
    (cd "$scratch" && PYTHONPATH=$(dirname "$package") "$python" -c "
import formeval, formeval._core
assert formeval.__file__.startswith('$package'), formeval.__file__
assert formeval.evaluate([[1, 0], [0, 1], [-1, 0], [0, -1]], 'circle', 'least squares').radius == 1
u = formeval.uncertainty([[1, 0], [0, 1], [-1, 0], [0, -1]], 'circle', 'least squares',
                         model=[('offset-x', 'gaussian', 0.001)], trials=100, gum=False)
assert u.trials == 100 and u['radius'].u < 1e-12, u.to_dict()
print('python:', formeval.__file__)")
fi
