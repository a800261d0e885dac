#!/usr/bin/env bash
# Large and oversized input, end to end: 1,000,000 events (peak memory, and how
# late the one due event goes off), one event whose text is 10 MB followed by an ordinary event
# a second later (both must go off on time), and a 10 MB sticker text (start-up to the message
# loop). Offscreen, private XDG folders; needs a build (tools/build.sh) and the sqlite3 tool.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
ROWS=${ROWS:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
export QT_QPA_PLATFORM=offscreen ZARVO_TRACE=1
mkdir -p "$XDG_DATA_HOME/zarvo" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" && chmod 700 "$XDG_RUNTIME_DIR"
db=$XDG_DATA_HOME/zarvo/zarvo.dat
schema="PRAGMA user_version = 1;
CREATE TABLE events (RowNo INTEGER PRIMARY KEY, EvName TEXT, EvDate TEXT, EvTime TEXT, EvType INTEGER,
  EvRec INTEGER, EvShutType INTEGER, EvPath TEXT, EvParam TEXT, EvURL TEXT, EvMMAddress TEXT,
  EvMMSubj TEXT, EvCS TEXT, EvIntBTime TEXT, EvIntETime TEXT, EvInterval INTEGER, EvRecMonth INTEGER);"
at() { echo "'$(date -d "@$1" +%F)', '$(date -d "@$1" +%T)'"; }

# run NAME ALARMS TIMEOUT: starts the program, waits for its message loop and ALARMS alarm lines
# (at most TIMEOUT seconds), notes its peak memory (VmHWM) and ends it; prints when it started.
run() {
    local name=$1 alarms=$2 limit=$3 t0 pid i
    : >"$work/$name.log"
    t0=$(date +%s%3N)
    "$BIN" 2>"$work/$name.log" &
    pid=$!
    for i in $(seq $((limit * 10))); do
        grep -q 'zarvo-trace: loop' "$work/$name.log" &&
            [ "$(grep -c 'zarvo-trace: alarm' "$work/$name.log")" -ge "$alarms" ] && break
        sleep 0.1
    done
    sleep 2 # the windows are painted after the loop starts, and a long text costs there
    sed -n 's/^VmHWM: *//p' "/proc/$pid/status" >"$work/$name.peak"
    kill -TERM $pid
    wait $pid || true
    echo "$t0"
}
lateness() {  # lateness FILE DUE...: ms after each due second, or "missed"
    local log=$1 n=0 due line; shift
    for due in "$@"; do
        n=$((n + 1))
        line=$(sed -n 's/^zarvo-trace: alarm //p' "$log" | sed -n "${n}p")
        [ -n "$line" ] && printf '%s ms ' $((line - due * 1000)) || printf 'missed '
    done
}
peak() { awk '{printf "%d MB", $1 / 1024}' "$1"; }

# 1. ROWS events, one of them due once the file has had time to load.
due=$(( $(date +%s) + 25 ))
rm -f "$db"
sqlite3 "$db" <<SQL
$schema
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $ROWS - 1)
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvRecMonth)
  SELECT i, 'Event ' || i, date('now', 'localtime', (i % 400 + 2) || ' days'), time(i * 7919 % 86400, 'unixepoch'),
         i % 8, i % 3, 0 FROM n;
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec) VALUES ($ROWS, 'Due', $(at $due), 0, 1);
SQL
t0=$(run many 1 60)
loop=$(sed -n 's/^zarvo-trace: loop //p' "$work/many.log")
echo "$ROWS events: start-up to loop $((loop - t0)) ms, peak $(peak "$work/many.peak"), alarm $(lateness "$work/many.log" $due)"

# 2. A 10 MB event text, then an ordinary event one second later.
due=$(( $(date +%s) + 4 ))
rm -f "$db" "$XDG_CONFIG_HOME/zarvo/settings.reg"
sqlite3 "$db" <<SQL
$schema
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec) VALUES (1, printf('%.*c', 10000000, 'x'), $(at $due), 0, 1);
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec) VALUES (2, 'Next', $(at $((due + 1))), 0, 1);
SQL
run bigname 2 30 >/dev/null
echo "10 MB event text: alarms $(lateness "$work/bigname.log" $due $((due + 1))), peak $(peak "$work/bigname.peak")"

# 3. A 10 MB sticker text (written as the first start leaves the settings file).
rm -f "$db"
run first 0 10 >/dev/null
python3 - "$XDG_CONFIG_HOME/zarvo/settings.reg" <<'PY'
import re, sys
p = sys.argv[1]
s = open(p, encoding="utf-8").read()
s = re.sub(r'^"StickerText"=.*$', '"StickerText"="' + "y" * 10_000_000 + '"', s, flags=re.M)
s = re.sub(r'^"ShowSticker"=.*$', '"ShowSticker"=dword:00000001', s, flags=re.M)
open(p, "w", encoding="utf-8").write(s)
PY
t0=$(run sticker 0 60)
loop=$(sed -n 's/^zarvo-trace: loop //p' "$work/sticker.log")
echo "10 MB sticker text: start-up to loop $((loop - t0)) ms, peak $(peak "$work/sticker.peak")"
