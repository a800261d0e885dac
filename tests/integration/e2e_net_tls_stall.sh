#!/usr/bin/env bash
# End to end over TLS: the built program (offscreen, private XDG folders) checks a mailbox over
# TLS on a server that completes the handshake and then says nothing, and sends a mail over TLS to
# one that never takes part in a handshake. Each ends as a failure within its time-out (1 minute)
# and no later, the notifications due meanwhile fire on their second, and the next check on the
# same worker starts right after the first ended. The moments come from ZARVO_TRACE lines.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
RIGS=$ROOT/tools/rigs
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e-tls.XXXXXX")
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
    "$RIGS/stall.sh" stop >/dev/null 2>&1 || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT
now_ms() { date +%s%3N; }
until_true() {  # until_true SECONDS CMD...
    local end=$(($(now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.1
    done
}
traces() { sed -n "s/^zarvo-trace: $1 //p" "$LOG"; }
has() { [ "$(traces "$1" | wc -l)" -ge "$2" ]; }

# Connections in turn: the first check (handshake, then silence), the mail (no handshake), then
# the second check (handshake, then silence until it hangs up).
"$RIGS/stall.sh" start tls-silent silent tls-silent:3 >/dev/null
eval "$("$RIGS/stall.sh" env)"
export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data XDG_RUNTIME_DIR=$RIG_DIR/run
export QT_QPA_PLATFORM=offscreen ZARVO_TRACE=1 SSL_CERT_FILE=$RIG_DIR/tls/ca.pem
mkdir -p "$XDG_DATA_HOME/zarvo" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
port=$(printf %08x "$STALL_PORT")
"$RIGS/settings.sh" init "$BIN" || fail "no settings file"
"$RIGS/settings.sh" set User '"alice"' Pas password:secret Server '"localhost"' Port "dword:$port" \
    SMTPServer '"localhost"' SMTPPort "dword:$port" ReturnAddress '"me@example.org"' Timeout dword:00000001 \
    MailSecurity dword:00000002 SMTPSecurity dword:00000002 SMTPAuth dword:00000001 Sound dword:00000000 ||
    fail "the settings could not be made"

T=$(($(date +%s) + 5))
row() {  # row N NAME OFFSET TYPE
    local at=$((T + $3))
    echo "INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvMMAddress, EvRecMonth)
          VALUES ($1, '$2', '$(date -d "@$at" +%F)', '$(date -d "@$at" +%T)', $4, 1, 'you@example.org', 0);"
}
# The check and the mail at T; notifications at T+3 and T+40; a second check at T+2, queued
# behind the first on the mailbox worker.
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
$(row 1 'Check one' 0 3)
$(row 2 'Mail' 0 6)
$(row 3 'Check two' 2 3)
$(row 4 'Note one' 3 0)
$(row 5 'Note two' 40 0)
SQL

"$BIN" >"$LOG" 2>&1 &
pid=$!
until_true 20 has mailbox-start 1 || fail "the first check did not start"
until_true 10 grep -q '"event": "tls-up"' "$STALL_LOG" || fail "the first check made no handshake"
until_true 60 has alarm 4 || fail "the notification at T+40 did not fire"
has mailbox-result 1 && fail "the first check ended before its time-out"
until_true 30 has mailbox-result 2 || fail "the checks did not end"
until_true 10 has mail-result 1 || fail "the mail did not end"

mapfile -t alarms < <(traces alarm)
i=0
for offset in 0 2 3 40; do
    late=$((alarms[i] - (T + offset) * 1000))
    # In its second; a loaded machine (other tests run beside this one) may add a little.
    [ "$late" -ge 0 ] && [ "$late" -lt 1500 ] || fail "alarm $i (T+$offset) went off $late ms from its second"
    i=$((i + 1))
done
read -r m1 d1 <<<"$(traces mailbox-result | sed -n 1p)"
read -r m2 d2 <<<"$(traces mailbox-result | sed -n 2p)"
read -r s1 ds <<<"$(traces mail-result)"
[ "$d1" = "logged-in=0 count=0" ] && [ "$d2" = "logged-in=0 count=0" ] || fail "results: $d1 / $d2"
[ "$ds" = "sent=0" ] || fail "mail result: $ds"
# Each ends at its time-out (a minute, the handshake on top), not at a second one.
for r in "$m1" "$s1"; do
    took=$((r - T * 1000))
    [ "$took" -ge 59000 ] && [ "$took" -lt 90000 ] || fail "an action ended $took ms after it started"
done
grep -q '^zarvo: TLS with localhost' "$LOG" && fail "a time-out was reported as a TLS failure"
# Nothing but TLS handshakes reached the servers: no greeting was answered, no password sent.
if grep -q '"event": "line"' "$STALL_LOG"; then fail "a plain-text line reached a server"; fi
kill -TERM "$pid"
wait "$pid" || fail "exit status $? after SIGTERM"
pid=""
echo "e2e net tls stall: check and mail ended $((m1 - T * 1000)) and $((s1 - T * 1000)) ms after they started;" \
    "notifications $((alarms[2] - (T + 3) * 1000)) and $((alarms[3] - (T + 40) * 1000)) ms after their seconds"
