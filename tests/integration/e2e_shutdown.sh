#!/usr/bin/env bash
# End to end: a daily "Power off" event fires in the built program, which runs offscreen with
# private XDG folders and private system and session buses (tools/rigs/dbusmock.sh). When the
# mocked login service receives PowerOff(false), zarvo.dat must already hold the next day: the
# program may be ended at any moment after its request. Only PowerOff is asked, once.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e-shutdown.XXXXXX")
pid=""
fail() { echo "FAIL: $*" >&2; [ -f "$RIG_DIR/zarvo.log" ] && sed 's/^/  zarvo: /' "$RIG_DIR/zarvo.log" >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    "$ROOT/tools/rigs/dbusmock.sh" stop >/dev/null 2>&1 || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT

"$ROOT/tools/rigs/dbusmock.sh" start >/dev/null
eval "$("$ROOT/tools/rigs/dbusmock.sh" env)"
# Never the machine's own buses: both addresses must lie in our folder.
for a in "$DBUS_SYSTEM_BUS_ADDRESS" "$DBUS_SESSION_BUS_ADDRESS"; do
    [[ $a == unix:path=$RIG_DIR/* ]] || fail "bus address $a is not private"
done
gdbus call --system -d org.freedesktop.login1 -o /org/freedesktop/login1 \
    -m org.freedesktop.DBus.Mock.ClearCalls >/dev/null || fail "the login mock does not answer"
unset XDG_SESSION_ID
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data XDG_RUNTIME_DIR=$RIG_DIR/runtime
mkdir -p "$XDG_DATA_HOME/zarvo" && mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
DAT=$XDG_DATA_HOME/zarvo/zarvo.dat

due=$(( $(date +%s) + 5 ))
day=$(date -d "@$due" +%F) time=$(date -d "@$due" +%T) next=$(date -d "$(date -d "@$due" +%F) + 1 day" +%F)
sqlite3 "$DAT" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvShutType, EvRecMonth)
  VALUES (1, 'Night', '$day', '$time', 2, 1, 2, 0);
SQL

calls() {
    gdbus call --system -d org.freedesktop.login1 -o /org/freedesktop/login1 \
        -m org.freedesktop.DBus.Mock.GetCalls 2>/dev/null
}
"$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
pid=$!
stored=""
for _ in $(seq 300); do # up to 15 s
    if calls | grep -q "'PowerOff'"; then
        # Read at once: the file must already hold the next date when the request arrives.
        stored=$(sqlite3 "$DAT" "SELECT EvDate FROM events WHERE RowNo = 1")
        break
    fi
    kill -0 "$pid" 2>/dev/null || fail "the program ended before the event"
    sleep 0.05
done
[ -n "$stored" ] || fail "no PowerOff call arrived (calls: $(calls))"
[ "$(date +%s)" -ge "$due" ] || fail "fired before its second"
[ "$stored" = "$next" ] || fail "zarvo.dat held '$stored' when PowerOff arrived, expected '$next'"
sleep 0.5
got=$(calls)
[ "$(grep -o "'PowerOff', \[<false>\]" <<<"$got" | wc -l)" -eq 1 ] || fail "expected one PowerOff(false): $got"
grep -qE "'(Halt|Reboot|TerminateSession)'" <<<"$got" && fail "other requests were made: $got"
kill -0 "$pid" 2>/dev/null || fail "the program did not keep running"
kill -TERM "$pid"; wait "$pid" || fail "exit status $? after SIGTERM"
pid=""
echo "e2e shutdown: PowerOff(false) after zarvo.dat held $next"
