#!/usr/bin/env bash
# Builds Zarvo! (tools/build.sh) and makes its Debian package from that build with CPack:
# build/zarvo_<version>_<arch>.deb. Install it with `sudo apt install ./build/zarvo_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/build.sh
cd build
cpack --config CPackConfig.cmake -B "$PWD"
ls "$PWD"/zarvo_*.deb
