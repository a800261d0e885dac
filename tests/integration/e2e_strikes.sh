#!/usr/bin/env bash
# End to end: an event's sound does not cut the strikes of the hour short. The built program
# starts just before noon by its own clock (libfaketime), with the hour struck by a sound file;
# a Notification with a sound of another pitch falls due at 12:00:05, while the twelve strikes
# are still sounding. The recording from the null sink must hold twelve strikes, and the event's
# sound as well.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
FAKETIME_LIB=${FAKETIME_LIB:-/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1}
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-strikes.XXXXXX")
SOUND=$ROOT/tools/rigs/sound.sh
pid=""
fail() { echo "FAIL: $*" >&2; [ -f "$RIG_DIR/zarvo.log" ] && sed 's/^/  zarvo: /' "$RIG_DIR/zarvo.log" >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    "$SOUND" stop >/dev/null 2>&1 || true
    [ -z "${STRIKES_KEEP:-}" ] || cp "$RIG_DIR/heard.wav" "$RIG_DIR/zarvo.log" "$STRIKES_KEEP"/ 2>/dev/null || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT
[ -r "$FAKETIME_LIB" ] || fail "no libfaketime at $FAKETIME_LIB"
"$SOUND" start >/dev/null
eval "$("$SOUND" env)"
export TZ=Europe/Berlin QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 ZARVO_TRACE=1
export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data XDG_STATE_HOME=$RIG_DIR/state HOME=$RIG_DIR/home
mkdir -p "$XDG_CONFIG_HOME/zarvo" "$XDG_DATA_HOME/zarvo" "$HOME"

# A strike: 0.25 s at 440 Hz and 0.3 s of quiet. The event: 1 s at 1760 Hz.
STRIKE=$RIG_DIR/strike.wav EVENT=$RIG_DIR/event.wav
sox -n -b 16 -r 22050 -c 1 "$STRIKE" synth 0.25 sine 440 vol 0.5 pad 0 0.3
sox -n -b 16 -r 22050 -c 1 "$EVENT" synth 1 sine 1760 vol 0.5
cat >"$XDG_CONFIG_HOME/zarvo/settings.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!]
"Sound"=dword:00000001
"Show"=dword:00000001
"SoundFile"=""
"EvNum"=dword:00000001
"Ding15"=dword:00000000
"Ding30"=dword:00000000
"Ding1h"=dword:00000001
"Repeat"=dword:00000001
"15File"=""
"30File"=""
"1hFile"="$STRIKE"
"Sound15"=dword:00000000
"Sound30"=dword:00000000
"Sound1h"=dword:00000001
REG
chmod 600 "$XDG_CONFIG_HOME/zarvo/settings.reg"
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvCS)
  VALUES (1, 'Lunch', '2026-12-10', '12:00:05', 0, 0, '$EVENT');
SQL

mark=$("$SOUND" mark)
LD_PRELOAD=$FAKETIME_LIB FAKETIME="@2026-12-10 11:59:58" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    "$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
pid=$!
# The strikes begin about 2 s after the start and take 12 x 0.55 s; the event comes in their midst.
for _ in $(seq 200); do grep -q 'notification [0-9]* Lunch - ' "$RIG_DIR/zarvo.log" && break; sleep 0.1; done
grep -q 'notification [0-9]* Lunch - ' "$RIG_DIR/zarvo.log" || fail "the event did not fire"
sleep 6
"$SOUND" since "$mark" "$RIG_DIR/heard.wav" >/dev/null
kill -TERM "$pid"; wait "$pid" || fail "exit status $?"; pid=""
strikes=$(/usr/bin/python3 "$ROOT/tests/integration/count_tones.py" "$RIG_DIR/heard.wav" 440)
events=$(/usr/bin/python3 "$ROOT/tests/integration/count_tones.py" "$RIG_DIR/heard.wav" 1760)
[ "$strikes" = 12 ] || fail "$strikes strikes heard, not 12"
[ "$events" = 1 ] || fail "the event's sound was heard $events times, not once"
echo "strikes: twelve strikes heard, and the event's sound in their midst"
