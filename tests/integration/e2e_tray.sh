#!/usr/bin/env bash
# End to end on a desktop with a window manager and a tray (Xvfb on a free display + xfwm4 + tint2):
# the tray icon is embedded in the tray; the clock, the sticker and the calendar are mapped
# where their settings put them and none of them is in the task bar, also after the clock is
# hidden and shown from the tray menu. Then, on a desktop without a tray, the clock is shown
# although its setting says hidden.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
RIG=$ROOT/tools/rigs/tray.sh
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e-tray.XXXXXX")
pid=""
fail() { echo "FAIL: $*" >&2; [ -f "$RIG_DIR/zarvo.log" ] && sed 's/^/  zarvo: /' "$RIG_DIR/zarvo.log" >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    "$RIG" stop >/dev/null 2>&1 || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data XDG_RUNTIME_DIR=$RIG_DIR/run
mkdir -p "$XDG_CONFIG_HOME/zarvo" "$XDG_DATA_HOME/zarvo" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# Without a session bus the tray is reached over XEmbed, the way tint2 offers it.
unset DBUS_SESSION_BUS_ADDRESS

# A first start writes every value with its default; reading stops at the first value missing.
QT_QPA_PLATFORM=offscreen "$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
pid=$!
for _ in $(seq 100); do [ -s "$XDG_CONFIG_HOME/zarvo/settings.reg" ] && break; sleep 0.05; done
kill -TERM "$pid"; wait "$pid" || fail "first start: exit status $?"
pid=""
defaults=$(cat "$XDG_CONFIG_HOME/zarvo/settings.reg")
settings() {  # settings CLOCKVISIBLE: the three windows at known places
    local -A v=([ClockVisible]=$1 [ClockOnTop]=1 [ClockLeft]=300 [ClockTop]=200 [ShowSticker]=1
        [StickerLeft]=520 [StickerTop]=200 [CalVis]=1 [CalWL]=60 [CalWT]=300)
    local expr=() k
    for k in "${!v[@]}"; do expr+=(-e "s/^\"$k\"=dword:.*/\"$k\"=dword:$(printf %08x "${v[$k]}")/"); done
    expr+=(-e 's/^"StickerText"=.*/"StickerText"="Buy milk"/')
    sed "${expr[@]}" <<<"$defaults"
}

. "$ROOT/tests/integration/xwindows.sh"
win() { managed_window "$@"; }
start_zarvo() {
    "$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do [ -n "$(win 'Zarvo!')" ] && return 0; sleep 0.05; done
    kill -0 "$pid" 2>/dev/null || fail "the program ended"
    return 1
}
stop_zarvo() {
    kill -TERM "$pid"
    wait "$pid" || fail "exit status $? after SIGTERM"
    pid=""
}
# The windows of the program that the window manager manages must all stay off the task bar.
check_taskbar() {
    local w n=0
    for w in $(xprop -root _NET_CLIENT_LIST | sed 's/.*# //; s/,//g'); do
        xprop -id "$w" _NET_WM_PID 2>/dev/null | grep -q "= $pid\$" || continue
        n=$((n + 1))
        xprop -id "$w" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR ||
            fail "window '$(xdotool getwindowname "$w")' ($1) would be in the task bar"
    done
    [ "$n" -ge 3 ] || fail "only $n managed windows of the program ($1)"
}
position() { xdotool getwindowgeometry "$1" | sed -n 's/ *Position: \([0-9]*,[0-9]*\).*/\1/p'; }

# --- With a tray -------------------------------------------------------------------------------
"$RIG" start >/dev/null
eval "$("$RIG" env)"
settings 1 >"$XDG_CONFIG_HOME/zarvo/settings.reg"
start_zarvo || fail "the clock window did not appear"
for t in StickerForm Calendar; do
    for _ in $(seq 60); do [ -n "$(win $t)" ] && break; sleep 0.05; done
    [ -n "$(win $t)" ] || fail "window $t is not mapped"
done

icon=$(tray_icon_of "$pid")
[ -n "$icon" ] || fail "no tray icon is embedded"

[ "$(position "$(win 'Zarvo!')")" = "300,200" ] || fail "clock at $(position "$(win 'Zarvo!')"), not 300,200"
[ "$(xdotool getwindowgeometry "$(win 'Zarvo!')" | sed -n 's/ *Geometry: //p')" = "98x18" ] ||
    fail "clock is not 98x18"
check_taskbar "at start"

# Hide and show the clock from the tray menu ("Hide &clock", then "Show &clock").
eval "$(xdotool getwindowgeometry --shell "$icon")"
for step in hidden shown; do
    xdotool mousemove $((X + 4)) $((Y + 4)) click 3
    sleep 0.4
    xdotool key c
    sleep 0.4
    if [ $step = hidden ]; then
        [ -z "$(win 'Zarvo!')" ] || fail "the clock was not hidden from the tray menu"
    else
        [ -n "$(win 'Zarvo!')" ] || fail "the clock was not shown again from the tray menu"
    fi
done
check_taskbar "after hide and show"
"$RIG" shot "${E2E_SHOT:-$RIG_DIR/shot.png}" >/dev/null 2>&1 || true
stop_zarvo
grep -q '"ClockVisible"=dword:00000001' "$XDG_CONFIG_HOME/zarvo/settings.reg" || fail "ClockVisible not kept"

# --- Without a tray ----------------------------------------------------------------------------
"$RIG" stop >/dev/null
TRAY_HOST=none "$RIG" start >/dev/null
eval "$("$RIG" env)"
settings 0 >"$XDG_CONFIG_HOME/zarvo/settings.reg"
start_zarvo || fail "without a tray the clock was not shown"
stop_zarvo
echo "e2e tray: icon embedded, three windows off the task bar, clock shown without a tray"
