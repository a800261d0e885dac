#!/usr/bin/env bash
# End to end on Wayland with no X server at all: weston's headless back end on a socket in a
# private runtime folder, DISPLAY unset. The program starts on Wayland (not offscreen), shows its
# windows there (the compositor is asked for a toplevel titled "Notifications" for a start-up
# message), fires a daily event on its second and moves it to the next day, and the program an
# event starts does not inherit the platform the program chose for itself.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e-wayland.XXXXXX")
pid="" weston=""
fail() { echo "FAIL: $*" >&2; [ -f "$work/zarvo.log" ] && grep -v '^\[' "$work/zarvo.log" | sed 's/^/  zarvo: /' >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    [ -z "$weston" ] || kill "$weston" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
command -v weston >/dev/null || fail "weston is missing (tools/deps.sh installs it)"

export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -m 0700 "$XDG_RUNTIME_DIR" && mkdir -p "$XDG_DATA_HOME/zarvo"
unset DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
# Its own socket name in its own runtime folder: nothing shared with another compositor.
setsid weston --backend=headless-backend.so --socket=wayland-zarvo --idle-time=0 \
    >"$work/weston.log" 2>&1 </dev/null &
weston=$!
for _ in $(seq 200); do [ -S "$XDG_RUNTIME_DIR/wayland-zarvo" ] && break; sleep 0.05; done
[ -S "$XDG_RUNTIME_DIR/wayland-zarvo" ] || fail "weston did not start: $(tail -3 "$work/weston.log")"
export WAYLAND_DISPLAY=wayland-zarvo

due=$(( $(date +%s) + 5 ))
day=$(date -d "@$due" +%F) time=$(date -d "@$due" +%T) next=$(date -d "$(date -d "@$due" +%F) + 1 day" +%F)
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvRecMonth)
  VALUES (1, 'On Wayland', '$day', '$time', 0, 1, 0);
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec) VALUES (2, 'Good morning', '$(date +%F)', '00:00:00', 4, 1);
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvPath, EvParam, EvRecMonth)
  VALUES (3, 'Launch', '$(date -d "@$((due - 2))" +%F)', '$(date -d "@$((due - 2))" +%T)', 1, 0,
          '/bin/sh', '-c "env > $work/launched.env"', 0);
SQL

# The client side of the protocol goes to the log: what the compositor was asked to show.
WAYLAND_DEBUG=client "$BIN" >"$work/zarvo.log" 2>&1 &
pid=$!
titled() { grep -c 'xdg_toplevel@[0-9]*\.set_title("Notifications")' "$work/zarvo.log" || true; }
for _ in $(seq 200); do [ "$(titled)" -ge 1 ] && break; kill -0 "$pid" 2>/dev/null || fail "the program ended"; sleep 0.05; done
[ "$(titled)" -ge 1 ] || fail "no Notifications window on the compositor"
grep -q 'offscreen' "$work/zarvo.log" && fail "the program ran offscreen"
grep -q 'wl_registry' "$work/zarvo.log" || fail "the program did not talk Wayland"

stored=""
for _ in $(seq 300); do # up to 15 s
    stored=$(sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "SELECT EvDate FROM events WHERE RowNo = 1" 2>/dev/null || true)
    [ "$stored" = "$next" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before the event"
    sleep 0.05
done
[ "$stored" = "$next" ] || fail "the event did not fire (zarvo.dat holds '$stored')"
[ "$(date +%s)" -ge "$due" ] || fail "fired before its second"
# A program that an event starts gets the desktop's environment, not the program's own choice
# of platform.
[ -s "$work/launched.env" ] || fail "the Launch event did not run"
grep -q '^QT_QPA_PLATFORM=' "$work/launched.env" && fail "a started program inherited QT_QPA_PLATFORM"
grep -qx 'WAYLAND_DISPLAY=wayland-zarvo' "$work/launched.env" || fail "a started program lost WAYLAND_DISPLAY"
kill -TERM "$pid"; wait "$pid" || fail "exit status $? after SIGTERM"
pid=""
echo "e2e wayland: started on Wayland without X, Notifications window shown, events fired, started program keeps the desktop environment"
