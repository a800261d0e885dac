#!/usr/bin/env bash
# Idle cost: the CPU time (user + system, from /proc/PID/stat) that the program takes per minute
# while nothing happens but its clocks, with the floating clock shown (seconds on), side by side
# in the same run with a bare Qt tray program (build/bench/zarvo_bare_tray). With ZARVO_BIN_OTHER
# another build of the program runs alongside too (e.g. the one before a change). Each program
# gets its own private XDG folders; all share one Xvfb (found by -displayfd), with no window
# manager, so there is no tray and the clock is shown.
#   tools/bench_idle.sh [SECONDS]      (default 60)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_IDLE=${1:-60}
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
BARE=${ZARVO_BARE:-$ROOT/build/bench/zarvo_bare_tray}
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec 3> >(cat >"$work/display")
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do grep -q '[0-9]' "$work/display" 2>/dev/null && break; sleep 0.05; done
export DISPLAY=:$(head -n1 "$work/display") QT_QPA_PLATFORM=xcb
exec 3>&-

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
start() {  # start NAME BINARY: run it with its own folders; the PID goes to $work/NAME.pid
    local d=$work/$1
    mkdir -p "$d/config/zarvo" "$d/data/zarvo" "$d/run" && chmod 700 "$d/run"
    XDG_CONFIG_HOME=$d/config XDG_DATA_HOME=$d/data XDG_RUNTIME_DIR=$d/run XDG_CACHE_HOME=$d/cache \
        "$2" >"$d/log" 2>&1 &
    echo $! >"$work/$1.pid"
    pids+=($!)
}

names=(program bare)
bins=("$BIN" "$BARE")
if [ -n "${ZARVO_BIN_OTHER:-}" ]; then names+=(other); bins+=("$ZARVO_BIN_OTHER"); fi
for i in "${!names[@]}"; do start "${names[$i]}" "${bins[$i]}"; done
sleep 3 # start-up is not idle time
declare -A before
for n in "${names[@]}"; do before[$n]=$(ticks "$(cat "$work/$n.pid")"); done
sleep "$SECONDS_IDLE"
hz=$(getconf CLK_TCK)
declare -A perMinute
for n in "${names[@]}"; do
    used=$(( $(ticks "$(cat "$work/$n.pid")") - ${before[$n]} ))
    perMinute[$n]=$(awk -v t="$used" -v hz="$hz" -v s="$SECONDS_IDLE" 'BEGIN { printf "%.0f", t * 1000 / hz * 60 / s }')
done
for n in "${names[@]}"; do
    ratio=$(awk -v a="${perMinute[$n]}" -v b="${perMinute[bare]}" 'BEGIN { printf (b > 0 ? "%.2f" : "-"), a / b }')
    printf '%-8s %5s ms CPU per minute  (%sx the bare tray program)\n' "$n" "${perMinute[$n]}" "$ratio"
done
