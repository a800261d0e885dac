#!/usr/bin/env bash
# End to end: the built program under Xvfb, with a recorded PulseAudio null sink and private XDG
# folders, checks a POP3 mailbox on a server that accepts and stays silent (then hangs up), and
# again on one that answers one byte a second. Notifications due while those checks wait fire on
# their second and are heard, the clock window keeps ticking, and each mailbox result arrives
# later, in firing order (the second with its line's sound). The program then ends at once on
# SIGTERM while a third check waits for a silent server.
# The moments come from the program's ZARVO_TRACE lines on stderr.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
RIGS=$ROOT/tools/rigs
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e-stall.XXXXXX")
LOG=$RIG_DIR/zarvo.log
pid=""
fail() {
    echo "FAIL: $*" >&2
    [ -f "$LOG" ] && sed 's/^/  zarvo: /' "$LOG" >&2
    "$RIGS/stall.sh" log 2>/dev/null | sed 's/^/  server: /' >&2 || true
    exit 1
}
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    for r in stall sound xvfb; do "$RIGS/$r.sh" stop >/dev/null 2>&1 || true; done
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT

now_ms() { date +%s%3N; }
# until_true SECONDS CMD...: poll CMD every 0.1 s until it succeeds; false after SECONDS.
until_true() {
    local end=$(($(now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.1
    done
}
traces() { sed -n "s/^zarvo-trace: $1 //p" "$LOG"; }  # the moments (and details) of one trace
count() { traces "$1" | wc -l; }
has() { [ "$(count "$1")" -ge "$2" ]; }
rms_since() { local l; l=$("$RIGS/sound.sh" since "$1"); l=${l#rms=}; echo "${l%% *}"; }
heard_since() { awk -v r="$(rms_since "$1")" 'BEGIN { exit !(r > 0.001) }'; }
# quiet_mark: a mark in the recording taken once nothing is playing.
quiet_mark() {
    local m
    for _ in $(seq 30); do
        m=$("$RIGS/sound.sh" mark)
        heard_since "$m" || { echo "$m"; return; }
    done
    fail "the sound did not stop"
}

"$RIGS/xvfb.sh" start >/dev/null
eval "$("$RIGS/xvfb.sh" env)"
"$RIGS/sound.sh" start >/dev/null
eval "$("$RIGS/sound.sh" env)"
# Connection 1: silent for 6 s, then it hangs up; 2: the mailbox, one byte a second; then silent.
"$RIGS/stall.sh" start silent:6 drip-pop3:1 silent >/dev/null
eval "$("$RIGS/stall.sh" env)"
export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data ZARVO_TRACE=1
mkdir -p "$XDG_DATA_HOME/zarvo"
SOUND=$RIG_DIR/beep.wav
sox -n -b 16 -r 22050 -c 1 "$SOUND" synth 0.3 sine 880 vol 0.5

# A first start writes every setting; then the mailbox account and a visible clock with seconds.
"$RIGS/settings.sh" init "$BIN" || fail "no settings file"
"$RIGS/settings.sh" set User '"alice"' Pas password:secret Server '"127.0.0.1"' \
    Port "dword:$(printf %08x "$STALL_PORT")" Timeout dword:00000001 ClockVisible dword:00000001 \
    SecVisible dword:00000001 || fail "the settings could not be made"

# Daily events: checks at T, T+4 and T+28, notifications at T+3 and T+10.
T=$(($(date +%s) + 7))
row() {  # row N NAME OFFSET TYPE
    local at=$((T + $3))
    echo "INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvCS, EvRecMonth)
          VALUES ($1, '$2', '$(date -d "@$at" +%F)', '$(date -d "@$at" +%T)', $4, 1, '$SOUND', 0);"
}
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
$(row 1 'Mail one' 0 3)
$(row 2 'Note one' 3 0)
$(row 3 'Mail two' 4 3)
$(row 4 'Note two' 10 0)
$(row 5 'Mail three' 28 3)
SQL

"$BIN" >"$LOG" 2>&1 &
pid=$!
mark=$("$RIGS/sound.sh" mark)
until_true 15 has mailbox-start 1 || fail "the first mailbox check did not start"

# While the first check waits, the clock window's picture changes as its seconds go by.
wid=$(xdotool search --onlyvisible --name '^Zarvo!$' | head -1)
[ -n "$wid" ] || fail "no clock window"
import -window "$wid" "$RIG_DIR/clock0.png"
changed() {
    import -window "$wid" "$RIG_DIR/clock1.png"
    [ "$(compare -metric AE "$RIG_DIR/clock0.png" "$RIG_DIR/clock1.png" null: 2>&1 || true)" != 0 ]
}
until_true 3 changed || fail "the clock window did not tick while the mailbox check waited"
has mailbox-result 1 && fail "the first check ended before its server hung up"

# The notification at T+3 fires on its second and is heard, while the check still waits.
until_true 10 has alarm 2 || fail "the notification at T+3 did not fire"
until_true 3 heard_since "$mark" || fail "the notification at T+3 was not heard"
mark=$(quiet_mark)
until_true 15 has mailbox-result 1 || fail "the first mailbox result did not arrive"
until_true 15 has alarm 4 || fail "the notification at T+10 did not fire"
until_true 3 heard_since "$mark" || fail "the notification at T+10 was not heard"
# The second check's result, with its sound.
mark=$(quiet_mark)
until_true 40 has mailbox-result 2 || fail "the second mailbox result did not arrive"
until_true 3 heard_since "$mark" || fail "the new-mail report was not heard"

# Every alarm went off within its second; each result came after the notification it overlapped.
mapfile -t alarms < <(traces alarm)
mapfile -t results < <(traces mailbox-result)
i=0
for offset in 0 3 4 10; do
    late=$((alarms[i] - (T + offset) * 1000))
    [ "$late" -ge 0 ] && [ "$late" -lt 1000 ] || fail "alarm $i (T+$offset) went off $late ms from its second"
    i=$((i + 1))
done
read -r r1 d1 <<<"${results[0]}"
read -r r2 d2 <<<"${results[1]}"
[ "$d1" = "logged-in=0 count=0" ] || fail "first result: $d1"
[ "$d2" = "logged-in=1 count=2" ] || fail "second result: $d2"
[ "$r1" -gt "${alarms[1]}" ] || fail "the first result came before the notification at T+3"
[ "$r2" -gt "${alarms[3]}" ] || fail "the second result came before the notification at T+10"
xdotool search --onlyvisible --name '^Notifications$' >/dev/null || fail "no Notifications window"

# A third check waits for a silent server: SIGTERM ends the program at once all the same.
until_true 40 grep -q '"plan": "silent"' "$STALL_LOG" || fail "the third check did not reach its server"
start=$(now_ms)
kill -TERM "$pid"
until_true 5 eval '! kill -0 "$pid" 2>/dev/null' || fail "still running 5 s after SIGTERM"
wait "$pid" || fail "exit status $? after SIGTERM"
pid=""
took=$(($(now_ms) - start))
[ "$took" -lt 2000 ] || fail "SIGTERM took $took ms while a check waited"

# Every event moved on to the next day.
stored=$(sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "SELECT group_concat(EvDate, ' ') FROM events")
tomorrow=$(date -d "$(date -d "@$T" +%F) + 1 day" +%F)
for d in $stored; do [ "$d" = "$tomorrow" ] || fail "zarvo.dat holds $stored"; done
echo "e2e net stall: notifications $(((alarms[1] - T * 1000) - 3000)) and $(((alarms[3] - T * 1000) - 10000)) ms" \
    "after their seconds; results at T+$(((r1 - T * 1000) / 1000)) s and T+$(((r2 - T * 1000) / 1000)) s;" \
    "exit in $took ms"
