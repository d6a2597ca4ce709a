# Sourced, from the repository's root, by the scripts that configure and
# build (example.sh, test.sh, fuzz.sh): they set up the build trees alike, so
# that one script's build serves the next. The compiler launcher is part of
# every build command; a tree configured with it by one script and without it
# by another would be rebuilt whole each time.
#
# ccache keeps the objects of earlier builds on this machine; a fresh clone
# anywhere reuses them, since paths are taken relative to the clone. The test
# sources share a precompiled GoogleTest header, which ccache keeps only with
# this sloppiness.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1 CCACHE_SLOPPINESS=pch_defines,time_macros
fi
