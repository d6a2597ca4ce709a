#!/usr/bin/env bash
# Installs, from the distribution's packages, whatever the build and the tests
# need and this machine lacks. Does nothing when everything is present.
set -euo pipefail

need=()
have_pkg() { dpkg -s "$1" >/dev/null 2>&1; }
# formeval needs only cmake and a compiler; the presets build with Ninja, the
# sanitized build and the fuzz target with clang, linked by lld. formreport: CLI11 for its
# command line, cairo (found through pkg-config) and a font for its pictures,
# expat for reading them back in the tests, FFTW for the harmonics and the
# profile filter; CGAL (with GMP and MPFR), GLPK and nlohmann-json for its
# exact references and the results tables. The Python package: pybind11 and
# the interpreter's headers to build it, numpy for its arrays, pytest for its
# tests; venv, pip and setuptools (the build back-end) to install it with
# pip. ccache keeps the objects of earlier builds for the next one.
for pkg in cmake g++ make ninja-build clang libclang-rt-dev lld libgtest-dev libbenchmark-dev \
    pkg-config libcli11-dev libcairo2-dev fonts-dejavu-core libexpat1-dev \
    libfftw3-dev libcgal-dev libgmp-dev libmpfr-dev libglpk-dev nlohmann-json3-dev \
    python3-dev pybind11-dev python3-numpy python3-pytest python3-venv python3-pip \
    python3-setuptools ccache "$@"; do
    have_pkg "$pkg" || need+=("$pkg")
done
# Chromium serves only the filed report's browser test, which is skipped
# without it: it is installed where it can be, and failing to is no failure.
browser=()
have_pkg chromium || browser=(chromium)
[ ${#need[@]} -eq 0 ] && [ ${#browser[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing missing packages: ${need[*]}" >&2
    $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
if [ ${#browser[@]} -gt 0 ]; then
    echo "Installing ${browser[*]} for the report's browser test" >&2
    $sudo apt-get install -y -qq --no-install-recommends "${browser[@]}" ||
        echo "deps.sh: chromium could not be installed; the report's browser test will be skipped" >&2
fi
