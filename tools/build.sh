#!/usr/bin/env bash
# Builds Zarvo! into build/ (the program is build/zarvo). With --asan, builds the unit tests
# with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# A compiler cache, when there is one, shared by every checkout of the project on the machine.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}" CCACHE_NOHASHDIR=1
fi
if [ "${1:-}" = "--asan" ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZARVO_SANITIZE=ON \
        -DZARVO_BUILD_APP=OFF -DZARVO_WERROR=ON "${launcher[@]}" >/dev/null
    cmake --build build-asan -j "$jobs"
else
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVO_WERROR=ON "${launcher[@]}" >/dev/null
    cmake --build build -j "$jobs"
fi
