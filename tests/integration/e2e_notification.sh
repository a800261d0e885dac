#!/usr/bin/env bash
# End to end: the built program under Xvfb, with a PulseAudio null sink that is recorded and
# private XDG folders. A daily Notification due a few seconds after start fires: its sound is
# heard, the "Notifications" window appears, and zarvo.dat holds the next day. A second copy
# exits 0 at once; SIGTERM ends the program cleanly and releases the lock.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e.XXXXXX")
pid=""
fail() { echo "FAIL: $*" >&2; [ -f "$RIG_DIR/zarvo.log" ] && sed 's/^/  zarvo: /' "$RIG_DIR/zarvo.log" >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    "$ROOT/tools/rigs/sound.sh" stop >/dev/null 2>&1 || true
    "$ROOT/tools/rigs/xvfb.sh" stop >/dev/null 2>&1 || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT

"$ROOT/tools/rigs/xvfb.sh" start >/dev/null
eval "$("$ROOT/tools/rigs/xvfb.sh" env)"
"$ROOT/tools/rigs/sound.sh" start >/dev/null
eval "$("$ROOT/tools/rigs/sound.sh" env)"
export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data
mkdir -p "$XDG_DATA_HOME/zarvo"
SOUND="$RIG_DIR/beep.wav"
sox -n -b 16 -r 22050 -c 1 "$SOUND" synth 0.8 sine 880 vol 0.5

# A daily notification a few seconds from now, with its own sound.
due=$(( $(date +%s) + 7 ))
day=$(date -d "@$due" +%F) time=$(date -d "@$due" +%T) next=$(date -d "$(date -d "@$due" +%F) + 1 day" +%F)
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvCS, EvRecMonth)
  VALUES (1, 'Stand up', '$day', '$time', 0, 1, '$SOUND', 0);
SQL

# A start-up message due today is shown as the program starts.
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" \
    "INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec) VALUES (2, 'Good morning', '$(date +%F)', '00:00:00', 4, 1)"
"$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
pid=$!
timeout 3 xdotool search --sync --onlyvisible --name '^Notifications$' >/dev/null ||
    fail "the start-up message was not shown"
kill -TERM "$pid"; wait "$pid" || fail "exit status $? after SIGTERM"
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "DELETE FROM events WHERE RowNo = 2"

"$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
pid=$!
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the program did not keep running"
xdotool search --onlyvisible --name '^Notifications$' >/dev/null && fail "a window showed before the event"

# A second copy leaves at once with 0 and shows nothing.
start=$(date +%s%N)
timeout 5 "$BIN" >/dev/null 2>&1 || fail "second copy exited with $?"
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$elapsed" -lt 1000 ] || fail "second copy took ${elapsed} ms"

# First start: the settings file holds all 60 values, readable by its owner only.
settings=$XDG_CONFIG_HOME/zarvo/settings.reg
[ -f "$settings" ] || fail "no settings file"
[ "$(grep -c '^"' "$settings")" -eq 60 ] || fail "settings file does not hold 60 values"
[ "$(stat -c %a "$settings")" = 600 ] || fail "settings file mode is $(stat -c %a "$settings")"

mark=$("$ROOT/tools/rigs/sound.sh" mark)
xdotool search --sync --onlyvisible --name '^Notifications$' >/dev/null &
waiter=$!
( sleep 12; kill $waiter 2>/dev/null ) &
wait $waiter || fail "the Notifications window did not appear"
fired=$(date +%s)
[ "$fired" -ge "$due" ] || fail "fired before its second"
sleep 1
level=$("$ROOT/tools/rigs/sound.sh" since "$mark")
rms=${level#rms=}; rms=${rms%% *}
awk -v r="$rms" 'BEGIN { exit !(r > 0.001) }' || fail "no sound was recorded ($level)"
"$ROOT/tools/rigs/xvfb.sh" shot "${E2E_SHOT:-$RIG_DIR/shot.png}" >/dev/null 2>&1 || true

stored=$(sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "SELECT EvDate || ' ' || EvTime FROM events")
[ "$stored" = "$next $time" ] || fail "zarvo.dat holds '$stored', expected '$next $time'"

# SIGTERM ends it like Exit: the window settings are written and the lock is free again.
kill -TERM "$pid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "still running 5 s after SIGTERM"
wait "$pid" || fail "exit status $? after SIGTERM"
pid=""
"$BIN" >/dev/null 2>&1 &
pid=$!
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the lock was not released"
kill -INT "$pid"; wait "$pid" || fail "exit status $? after SIGINT"
pid=""
echo "e2e notification: fired, sound rms $rms, next date $next, clean exit"
