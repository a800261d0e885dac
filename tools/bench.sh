#!/usr/bin/env bash
# Benchmarks with 10,000 events: the scheduler and the event files (bench/zarvo_bench), the
# start-up of the program to its message loop, and how late an alarm goes off, end to end
# (the moment the alarm handler runs, and the moment the fired event is saved to disk).
# Runs on the offscreen platform with private XDG folders; needs a build (tools/build.sh).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
RUNS=${RUNS:-5}
"${ZARVO_BENCH:-$ROOT/build/bench/zarvo_bench}" 10000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
export QT_QPA_PLATFORM=offscreen ZARVO_TRACE=1
mkdir -p "$XDG_DATA_HOME/zarvo" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
db=$XDG_DATA_HOME/zarvo/zarvo.dat

make_events() {  # 9,999 past and future events, and one due at the whole second $1
    rm -f "$db"
    sqlite3 "$db" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9999)
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvRecMonth)
  SELECT i, 'Event ' || i, date('now', 'localtime', (i % 400 + 2) || ' days'), time(i * 7919 % 86400, 'unixepoch'),
         i % 8, i % 3, 0 FROM n;
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvRecMonth)
  VALUES (10000, 'Due', '$(date -d "@$1" +%F)', '$(date -d "@$1" +%T)', 0, 1, 0);
SQL
}

starts=() lates=() saves=()
for run in $(seq "$RUNS"); do
    due=$(( $(date +%s) + 3 ))
    make_events "$due"
    t0=$(date +%s%3N)
    "$BIN" 2>"$work/log" &
    pid=$!
    for _ in $(seq 100); do grep -q 'zarvo-trace: alarm' "$work/log" && break; sleep 0.1; done
    sleep 0.3
    kill -TERM $pid; wait $pid || true
    loop=$(sed -n 's/^zarvo-trace: loop //p' "$work/log")
    alarm=$(sed -n 's/^zarvo-trace: alarm //p' "$work/log")
    saved=$(stat -c %.3Y "$db" | tr -d .)
    starts+=($((loop - t0))) lates+=($((alarm - due * 1000))) saves+=($((saved - due * 1000)))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "start-up to message loop, 10,000 events: $(median "${starts[@]}") ms (median of $RUNS: ${starts[*]})"
echo "alarm handler after its second:          $(median "${lates[@]}") ms (${lates[*]})"
echo "fired event saved after its second:      $(median "${saves[@]}") ms (${saves[*]})"
