#!/usr/bin/env bash
# Builds Zarvo! into build/ (the program is build/zarvo). With --asan, builds the unit tests
# with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
if [ "${1:-}" = "--asan" ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZARVO_SANITIZE=ON \
        -DZARVO_BUILD_APP=OFF -DZARVO_WERROR=ON >/dev/null
    cmake --build build-asan -j "$jobs"
else
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVO_WERROR=ON >/dev/null
    cmake --build build -j "$jobs"
fi
