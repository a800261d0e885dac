#!/usr/bin/env bash
# End to end on a desktop with a window manager and an XEmbed tray (Xvfb + xfwm4 + tint2): the
# Properties dialog does not freeze the program. While it is open, the tray menu works ("Show
# calen&dar" shows the calendar) and a daily event fires on its second; Cancel (the close box)
# then keeps the event's advanced date. "E&xit" from the tray while the dialog is open ends the
# program by the Cancel path.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
RIG=$ROOT/tools/rigs/tray.sh
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e-editor.XXXXXX")
pid=""
fail() { echo "FAIL: $*" >&2; [ -f "$RIG_DIR/zarvo.log" ] && sed 's/^/  zarvo: /' "$RIG_DIR/zarvo.log" >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    "$RIG" stop >/dev/null 2>&1 || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data XDG_RUNTIME_DIR=$RIG_DIR/run
export XDG_STATE_HOME=$RIG_DIR/state ZARVO_TRACE=1 LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/zarvo" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS # the XEmbed tray, the way tint2 offers it
DB=$XDG_DATA_HOME/zarvo/zarvo.dat

"$RIG" start >/dev/null
eval "$("$RIG" env)"

. "$ROOT/tools/rigs/common.sh" # until_ok
. "$ROOT/tests/integration/xwindows.sh"
win() { managed_window "$@"; }
wait_win() {  # wait_win TITLE [gone]
    local i
    for i in $(seq 100); do
        if [ "${2:-}" = gone ]; then [ -z "$(win "$1")" ] && return 0; else [ -n "$(win "$1")" ] && return 0; fi
        sleep 0.1
    done
    fail "window '$1' did not ${2:-appear}"
}
tray_menu() {  # tray_menu KEY...: right-click the icon, then the keys (the item's accelerator)
    eval "$(xdotool getwindowgeometry --shell "$ICON")"
    xdotool mousemove $((X + 4)) $((Y + 4)) click 3
    sleep 0.5
    [ -z "${E2E_SHOT:-}" ] || "$RIG" shot "$E2E_SHOT" >/dev/null 2>&1 || true
    xdotool key "$@"
}
stored() { [ "$(sqlite3 "$DB" 'SELECT EvDate FROM events')" = "$1" ]; }  # stored DATE: the event's date on disk
wait_log() {  # wait_log PATTERN SECONDS
    for _ in $(seq $(($2 * 10))); do grep -q "$1" "$RIG_DIR/zarvo.log" && return 0; sleep 0.1; done
    fail "no '$1' within $2 s"
}

due=$(( $(date +%s) + 15 ))
sqlite3 "$DB" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvRecMonth)
  VALUES (1, 'Daily', '$(date -d "@$due" +%F)', '$(date -d "@$due" +%T)', 0, 1, 0);
SQL
next=$(date -d "$(date -d "@$due" +%F) + 1 day" +%F)

"$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
pid=$!
wait_log 'zarvo-trace: loop' 20
ICON=$(tray_icon_of "$pid")
[ -n "$ICON" ] || fail "no tray icon is embedded"

# Properties from the icon's main action (a double-click on an XEmbed tray).
eval "$(xdotool getwindowgeometry --shell "$ICON")"
xdotool mousemove $((X + 4)) $((Y + 4)) click --repeat 2 --delay 80 1
wait_win Properties
# The tray menu works while it is open.
# "Show calen&dar" shares its letter with "&Disable": the letter picks it, Return runs it.
tray_menu d Return
wait_win Calendar
[ -n "$(win Properties)" ] || fail "the Properties dialog went when the calendar came"
# The event fires while the dialog is open.
wait_log 'notification [0-9]* Daily - ' 30
# The line is written as the event's action runs; the save follows it.
until_ok stored "$next" || fail "the fired event was not saved as moved on"
# Cancel, by the close box: the user's edits go, the firing's new date stays.
/usr/bin/python3 "$ROOT/tests/integration/xclose.py" "$(win Properties)"
wait_win Properties gone
stored "$next" || fail "Cancel put the fired event back"
kill -0 "$pid" || fail "the program ended"

# "E&xit" while the dialog is open ends the program through the Cancel path.
xdotool mousemove $((X + 4)) $((Y + 4)) click --repeat 2 --delay 80 1
wait_win Properties
tray_menu x
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "E&xit did not end the program while the dialog was open"
wait "$pid" || fail "exit status $?"
pid=""
stored "$next" || fail "the events changed on the way out"
echo "e2e editor: the tray works while Properties is open, a firing survives Cancel, Exit cancels"
