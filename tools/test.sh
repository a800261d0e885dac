#!/usr/bin/env bash
# Builds Zarvo! and runs every test: the unit and widget tests, the same unit tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer, the end-to-end tests that start the program
# under Xvfb with a PulseAudio null sink, and the fuzz targets for a bounded time from their
# corpus (tools/fuzz.sh, about a minute). Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/build.sh
tools/build.sh --asan
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
(cd build && ctest --output-on-failure -j2) || status=1
(cd build-asan && ctest --output-on-failure -j2 -L unit) || status=1
tools/fuzz.sh || status=1
exit $status
