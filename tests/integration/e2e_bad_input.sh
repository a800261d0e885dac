#!/usr/bin/env bash
# The built program against damaged and hostile input: a garbage settings file, a damaged event
# file, an event file with rows it cannot take, a data folder it cannot create, a missing sound
# file. Each time it must start, keep
# running, fire its event, and lose nothing that was stored. Runs on the offscreen platform.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:?ZARVO_BIN names the program}
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-bad.XXXXXX")
pid="" immutable=""
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null; [ -z "$immutable" ] || chattr -i "$immutable"; rm -rf "$work"' EXIT
fail() { echo "FAIL ($case): $*" >&2; [ -f "$work/log" ] && sed 's/^/  zarvo: /' "$work/log" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen ZARVO_TRACE=1

fresh() {  # fresh CASE: private folders for one case
    case=$1
    rm -rf "$work/case"; mkdir -p "$work/case/run" "$work/case/config/zarvo" "$work/case/data/zarvo"
    chmod 700 "$work/case/run"
    export XDG_RUNTIME_DIR=$work/case/run XDG_CONFIG_HOME=$work/case/config XDG_DATA_HOME=$work/case/data
}
event_db() {  # event_db FILE SECONDS-FROM-NOW SOUND: one daily notification
    local due=$(( $(date +%s) + $2 ))
    sqlite3 "$1" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvCS)
  VALUES (1, 'Tick', '$(date -d "@$due" +%F)', '$(date -d "@$due" +%T)', 0, 1, '$3');
SQL
}
run_until_alarm() {  # starts the program, waits for its alarm, ends it with SIGTERM
    # Emptied here: the program's own redirection may come after the first look below, which
    # would then find the alarm of the case before.
    : >"$work/log"
    "$BIN" >"$work/log" 2>&1 &
    pid=$!
    for _ in $(seq 80); do grep -q 'zarvo-trace: alarm' "$work/log" && break; sleep 0.1; done
    grep -q 'zarvo-trace: alarm' "$work/log" || fail "the event did not fire"
    sleep 0.3
    kill -0 "$pid" 2>/dev/null || fail "the program ended after the firing"
    kill -TERM "$pid"; wait "$pid" || fail "exit status $?"
    pid=""
}

# Garbage settings: read as far as the reading rule goes; unknown lines survive every save.
fresh settings
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!]\n"Sound"=dword:zz\n\x00\xff garbage line\n"Port"="110"\n' \
    >"$XDG_CONFIG_HOME/zarvo/settings.reg"
event_db "$XDG_DATA_HOME/zarvo/zarvo.dat" 2 /no/such/sound.wav
run_until_alarm
grep -q 'garbage line' "$XDG_CONFIG_HOME/zarvo/settings.reg" || fail "an unknown line was dropped"
[ "$(stat -c %a "$XDG_CONFIG_HOME/zarvo/settings.reg")" = 600 ] || fail "settings mode"
grep -q 'Error in system registry' "$work/log" && fail "a readable file is not a registry error"

# A damaged event file is set aside whole, named on stderr, and the program runs on empty.
fresh damaged
head -c 3000 /dev/urandom >"$XDG_DATA_HOME/zarvo/zarvo.dat"
sum=$(sha256sum <"$XDG_DATA_HOME/zarvo/zarvo.dat")
"$BIN" >"$work/log" 2>&1 & pid=$!
sleep 1
kill -0 "$pid" 2>/dev/null || fail "did not keep running"
kill -TERM "$pid"; wait "$pid"; pid=""
kept=$(ls "$XDG_DATA_HOME"/zarvo/zarvo.dat.damaged-* 2>/dev/null | head -1)
[ -n "$kept" ] || fail "the damaged file was not kept aside"
[ "$(sha256sum <"$kept")" = "$sum" ] || fail "the kept file differs from the damaged one"
grep -q "$(basename "$kept")" "$work/log" || fail "stderr does not say where the file was kept"

# One row the program cannot take (a day that does not exist) and one with a 10 MB text cost only
# themselves: the good event still fires, the text is cut, the original is copied aside byte for
# byte and named on one stderr line, and zarvo.dat keeps the rows that could be read.
fresh bad-rows
event_db "$XDG_DATA_HOME/zarvo/zarvo.dat" 2 ""
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType) VALUES
  (2, 'Never', '2026-02-30', '08:00:00', 0), (3, printf('%.*c', 10000000, 'x'), '2030-01-01', '08:00:00', 0)"
sum=$(sha256sum <"$XDG_DATA_HOME/zarvo/zarvo.dat")
run_until_alarm
kept=$(ls "$XDG_DATA_HOME"/zarvo/zarvo.dat.damaged-* 2>/dev/null | head -1)
[ -n "$kept" ] || fail "the original was not kept aside"
[ "$(sha256sum <"$kept")" = "$sum" ] || fail "the kept copy differs from the original"
[ "$(grep -c "rows that cannot be read whole (rows: 3, left out: 1, kept with values unset or cut: 1).*$(basename "$kept")" "$work/log")" = 1 ] ||
    fail "no one line on stderr with the counts and the copy's name"
[ "$(sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "SELECT RowNo || ':' || length(EvName) FROM events")" = $'1:4\n2:256' ] ||
    fail "zarvo.dat holds $(sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "SELECT RowNo || ':' || length(EvName) FROM events")"

# The data folder cannot be written (made immutable; permission bits do not stop root): the event
# still fires and moves on in memory, the stored file stays as it was, nothing crashes.
fresh unwritable
event_db "$XDG_DATA_HOME/zarvo/zarvo.dat" 2 ""
sum=$(sha256sum <"$XDG_DATA_HOME/zarvo/zarvo.dat")
if chattr +i "$XDG_DATA_HOME/zarvo" 2>/dev/null; then
    immutable=$XDG_DATA_HOME/zarvo
    run_until_alarm
    chattr -i "$immutable"; immutable=""
    [ "$(sha256sum <"$XDG_DATA_HOME/zarvo/zarvo.dat")" = "$sum" ] || fail "the stored events changed"
else
    echo "skipped: this file system cannot make a folder immutable" >&2
fi

# The settings folder cannot be made: the program says so once and runs on its defaults.
fresh no-settings
rm -rf "$XDG_CONFIG_HOME"; : >"$XDG_CONFIG_HOME"
event_db "$XDG_DATA_HOME/zarvo/zarvo.dat" 2 ""
run_until_alarm
grep -q 'Error in system registry' "$work/log" || fail "no registry error was reported"
[ "$(sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" 'SELECT EvDate FROM events')" = "$(date -d tomorrow +%F)" ] ||
    [ "$(date +%H%M%S)" -lt 000010 ] || fail "the fired event was not moved on"

echo "bad input: garbage settings, damaged events, unwritable folders, missing sound: all contained"
