#!/usr/bin/env bash
# Idle cost: the CPU time (all its threads, in nanoseconds from /proc/PID/task/*/schedstat; the
# clock ticks of /proc/PID/stat are too coarse for it) that the program takes per minute
# while nothing happens but its clocks, side by side in the same run with a bare Qt tray program
# (build/bench/zarvo_bare_tray). With ZARVO_BIN_OTHER another build of the program runs alongside
# too (e.g. the one before a change). Each program gets its own private XDG folders; all share
# one Xvfb (found by -displayfd) with a tint2 panel holding their tray icons.
#   tools/bench_idle.sh [SECONDS]      (default 60)
# Env: CLOCK=1 shows the floating clock (with seconds), CLOCK=0 (default) keeps it hidden.
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
# The tray over XEmbed, as tint2 offers it, rather than through a session bus.
unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$work/home"
HOME=$work/home tint2 >"$work/tint2.log" 2>&1 &
pids+=($!)
tray_owned() {  # does the panel own the tray selection yet?
    /usr/bin/python3 -c 'import ctypes as c, sys
x = c.CDLL("libX11.so.6"); x.XOpenDisplay.restype = c.c_void_p
x.XInternAtom.argtypes = [c.c_void_p, c.c_char_p, c.c_int]; x.XInternAtom.restype = c.c_ulong
x.XGetSelectionOwner.argtypes = [c.c_void_p, c.c_ulong]; x.XGetSelectionOwner.restype = c.c_ulong
d = x.XOpenDisplay(None)
sys.exit(0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0)) else 1)'
}
for _ in $(seq 200); do tray_owned && break; sleep 0.05; done

cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%.0f", t }'; }
start() {  # start NAME BINARY: run it with its own folders; the PID goes to $work/NAME.pid
    local d=$work/$1
    mkdir -p "$d/config/zarvo" "$d/data/zarvo" "$d/run" && chmod 700 "$d/run"
    local env=(XDG_CONFIG_HOME=$d/config XDG_DATA_HOME=$d/data XDG_RUNTIME_DIR=$d/run XDG_CACHE_HOME=$d/cache)
    if [ "$1" != bare ]; then
        # A first start writes the settings with their defaults; then the clock as asked.
        env "${env[@]}" QT_QPA_PLATFORM=offscreen "$2" >"$d/log" 2>&1 &
        local first=$!
        for _ in $(seq 200); do [ -s "$d/config/zarvo/settings.reg" ] && break; sleep 0.05; done
        kill -TERM "$first"; wait "$first" || true
        sed -i "s/^\"ClockVisible\"=dword:.*/\"ClockVisible\"=dword:0000000${CLOCK:-0}/" "$d/config/zarvo/settings.reg"
    fi
    env "${env[@]}" "$2" >"$d/log" 2>&1 &
    echo $! >"$work/$1.pid"
    pids+=($!)
}

names=(program bare)
bins=("$BIN" "$BARE")
if [ -n "${ZARVO_BIN_OTHER:-}" ]; then names+=(other); bins+=("$ZARVO_BIN_OTHER"); fi
for i in "${!names[@]}"; do start "${names[$i]}" "${bins[$i]}"; done
sleep 3 # start-up is not idle time
# A program that came up before the panel showed its clock as the way in, and hides it again at
# its next look for a tray: wait for the clocks asked for.
want=$(( ${CLOCK:-0} ? ${#names[@]} - 1 : 0 ))
shown() { xdotool search --onlyvisible --name '^Zarvo!$' 2>/dev/null | wc -l; }
for _ in $(seq 100); do [ "$(shown)" -eq "$want" ] && break; sleep 0.1; done
echo "clocks shown: $(shown) (asked for $want)"
declare -A before
for n in "${names[@]}"; do before[$n]=$(cpu_ns "$(cat "$work/$n.pid")"); done
sleep "$SECONDS_IDLE"
declare -A perMinute
for n in "${names[@]}"; do
    used=$(( $(cpu_ns "$(cat "$work/$n.pid")") - ${before[$n]} ))
    perMinute[$n]=$(awk -v t="$used" -v s="$SECONDS_IDLE" 'BEGIN { printf "%.1f", t / 1e6 * 60 / s }')
done
for n in "${names[@]}"; do
    ratio=$(awk -v a="${perMinute[$n]}" -v b="${perMinute[bare]}" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }')
    printf '%-8s %5s ms CPU per minute  (%sx the bare tray program)\n' "$n" "${perMinute[$n]}" "$ratio"
done
