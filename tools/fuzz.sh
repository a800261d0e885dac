#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (tests/fuzz/fuzz.cmake), replays every
# corpus file, then runs each target from its corpus in tests/fuzz/corpus/NAME for FUZZ_SECONDS
# (default 15) seconds. Inputs that reach new code are written to build-fuzz/found/NAME (copy the
# telling ones into the corpus); a crash, a leak or a hang fails the run, and its input is left in
# build-fuzz/artifacts/. Part of tools/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-15}
# One name per target (fuzz_NAME, corpus tests/fuzz/corpus/NAME).
targets=(regfile eventfile desktopentry replies)

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}" CCACHE_NOHASHDIR=1
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DZARVO_FUZZ=ON -DZARVO_BUILD_APP=OFF -DZARVO_WERROR=ON \
    "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

status=0
(cd build-fuzz && ctest --output-on-failure -L fuzz) || status=1
mkdir -p build-fuzz/artifacts
for t in "${targets[@]}"; do
    mkdir -p "build-fuzz/found/$t"
    echo "fuzz_$t: ${seconds} s from tests/fuzz/corpus/$t"
    # -timeout: an input that takes 10 s is a hang; the output lines of libFuzzer go to a log.
    if ! "build-fuzz/tests/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t-" \
        "build-fuzz/found/$t" "tests/fuzz/corpus/$t" >"build-fuzz/fuzz_$t.log" 2>&1; then
        status=1
        tail -n 60 "build-fuzz/fuzz_$t.log"
    fi
    grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|stat::number_of_executed_units)' "build-fuzz/fuzz_$t.log" || true
done
exit $status
