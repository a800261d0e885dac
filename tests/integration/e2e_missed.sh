#!/usr/bin/env bash
# End to end: nothing that falls due is lost. The built program on the offscreen platform with a
# recorded PulseAudio null sink and private XDG folders:
#  1. stopped (SIGSTOP) over an event's minute and continued: the events after it fire on their
#     seconds, the missed daily one moves on and is reported, without a sound;
#  2. a daily and a monthly event (on the 31st) dated days back: at start they lie in the future,
#     are saved at once, nothing fires, and the missed reminder is shown without a sound;
#  3. a start-up message: started twice the same day, it is shown once.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-missed.XXXXXX")
pid="" case=setup
fail() { echo "FAIL ($case): $*" >&2; [ -f "$RIG_DIR/log" ] && sed 's/^/  zarvo: /' "$RIG_DIR/log" >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    "$ROOT/tools/rigs/sound.sh" stop >/dev/null 2>&1 || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT
"$ROOT/tools/rigs/sound.sh" start >/dev/null
eval "$("$ROOT/tools/rigs/sound.sh" env)"
export QT_QPA_PLATFORM=offscreen ZARVO_TRACE=1 LC_ALL=C.UTF-8
BEEP=$RIG_DIR/beep.wav
sox -n -b 16 -r 22050 -c 1 "$BEEP" synth 0.5 sine 880 vol 0.5

fresh() {  # fresh CASE: private folders and an empty events file
    case=$1
    rm -rf "$RIG_DIR/case"; mkdir -p "$RIG_DIR/case/config" "$RIG_DIR/case/data/zarvo" "$RIG_DIR/case/state"
    export XDG_CONFIG_HOME=$RIG_DIR/case/config XDG_DATA_HOME=$RIG_DIR/case/data XDG_STATE_HOME=$RIG_DIR/case/state
    DB=$XDG_DATA_HOME/zarvo/zarvo.dat
    sqlite3 "$DB" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
SQL
}
event() {  # event ROW NAME EPOCH TYPE DAYS MONTHS: an event at that moment, with the beep
    sqlite3 "$DB" "INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvRecMonth, EvCS)
        VALUES ($1, '$2', '$(date -d "@$3" +%F)', '$(date -d "@$3" +%T)', $4, $5, $6, '$BEEP')"
}
start() { : >"$RIG_DIR/log"; "$BIN" >>"$RIG_DIR/log" 2>&1 & pid=$!; }
stop() { kill -TERM "$pid"; wait "$pid" || fail "exit status $?"; pid=""; }
wait_for() {  # wait_for PATTERN SECONDS
    local i
    for i in $(seq $(($2 * 10))); do grep -q "$1" "$RIG_DIR/log" && return 0; sleep 0.1; done
    fail "no '$1' within $2 s"
}
alarm_at() {  # alarm_at EPOCH: an alarm went off in that second (or, on a loaded machine, the next)
    awk -v due="$1" '/^zarvo-trace: alarm / { s = int($3 / 1000); if (s == due || s == due + 1) ok = 1 } END { exit !ok }' \
        "$RIG_DIR/log" || fail "no alarm at $(date -d "@$1" +%T) ($(grep -c 'trace: alarm' "$RIG_DIR/log") alarms)"
}
silent() {  # silent MARK: nothing was heard since MARK
    local out; out=$("$ROOT/tools/rigs/sound.sh" since "$1")
    awk -v o="$out" 'BEGIN { split(o, a, /[= ]/); exit !(a[2] + 0 <= 0.001) }' || fail "a sound was played ($out)"
}

# 1. Stopped over an event's minute. B falls at second 55, the program runs again in the next
#    minute, C and D come after that.
fresh stopped
now=$(date +%s)
b=$(( (now + 15) / 60 * 60 + 55 )); [ $((b - now)) -ge 12 ] || b=$((b + 60))
a=$((b - 5))
event 1 A $a 0 0 0
event 2 B $b 0 1 0
event 3 C $((b + 12)) 0 0 0
event 4 D $((b + 17)) 0 0 0
start
wait_for 'zarvo-trace: loop' 10
while [ "$(date +%s)" -lt $((a + 1)) ]; do sleep 0.1; done
wait_for 'notification [0-9]* A - ' 5
kill -STOP "$pid"
while [ "$(date +%s)" -lt $((b + 6)) ]; do sleep 0.2; done
mark=$("$ROOT/tools/rigs/sound.sh" mark)
kill -CONT "$pid"
wait_for "B - $(date -d "@$b" +%T) (missed on" 5
silent "$mark"
wait_for 'notification [0-9]* D - ' 25
alarm_at $a; alarm_at $((b + 12)); alarm_at $((b + 17))
[ "$(sqlite3 "$DB" "SELECT EvDate FROM events WHERE EvName = 'B'")" = "$(date -d "$(date -d "@$b" +%F) + 1 day" +%F)" ] ||
    fail "the missed daily event did not move on in the file"
stop
[ -s "$XDG_STATE_HOME/zarvo/handled" ] || fail "no record of what was dealt with"

# 2. Days behind: a daily event and a monthly one on the 31st, both long before now.
fresh behind
event 1 Daily $(date -d "$(date +%F) - 3 days 00:00:01" +%s) 0 1 0
event 2 Monthly $(date -d "2026-01-31 00:00:01" +%s) 0 0 1
mark=$("$ROOT/tools/rigs/sound.sh" mark)
start
wait_for 'zarvo-trace: loop' 10
wait_for "Daily - 00:00:01 (missed on" 1
sleep 1
stop
silent "$mark"
grep -q 'zarvo-trace: alarm' "$RIG_DIR/log" && fail "a missed event was fired late"
sqlite3 "$DB" "SELECT EvName, EvDate || ' ' || EvTime FROM events" | while IFS='|' read -r name when; do
    [ "$(date -d "$when" +%s)" -gt "$(date +%s)" ] || fail "$name still lies in the past ($when)"
done
[ "$(sqlite3 "$DB" "SELECT strftime('%d', EvDate) FROM events WHERE EvName = 'Monthly'")" -ge 28 ] ||
    fail "the monthly event left the end of the month"
# The next start knows they were dealt with: no second report.
start; wait_for 'zarvo-trace: loop' 10; sleep 0.5; stop
grep -q 'missed on' "$RIG_DIR/log" && fail "a missed reminder was reported twice"

# 3. A start-up message is shown at the first start of its day only.
fresh startup
sqlite3 "$DB" "INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec) VALUES (1, 'Hello', '$(date +%F)', '00:00:00', 4, 1)"
start; wait_for 'notification [0-9]* Hello$' 10; stop
start; wait_for 'zarvo-trace: loop' 10; sleep 0.5; stop
grep -q 'notification [0-9]* Hello$' "$RIG_DIR/log" && fail "the start-up message was shown again"
[ "$(sqlite3 "$DB" 'SELECT EvDate FROM events')" = "$(date -d tomorrow +%F)" ] || fail "the message did not move on"

echo "missed events: stopped and continued, days behind, start-up message once: nothing lost"
