#!/usr/bin/env bash
# End to end: the spoken quarter chime. The built program starts a few seconds before a quarter
# past the hour, by its own clock (libfaketime moves the wall clock only; Qt's timers run on the
# real monotonic clock), with the quarter chime on and "talk" chosen. Nothing may sound before
# the quarter, and the spoken time must be recorded from the sound rig's null sink after it.
# With no chime on, the same moments pass in silence.
#   ZARVO_BIN (build/zarvo), FAKE_START ("2026-12-10 10:14:56", local time of TZ),
#   FAKETIME_LIB (Debian's libfaketime), CHIMES_KEEP=1 keeps the recordings and logs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
FAKE_START=${FAKE_START:-2026-12-10 10:14:56}
FAKETIME_LIB=${FAKETIME_LIB:-/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1}
RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-chimes.XXXXXX")
export RIG_DIR
SOUND="$ROOT/tools/rigs/sound.sh"
pid=""
fail() {
    echo "FAIL: $*" >&2
    for log in "$RIG_DIR"/*/zarvo.log; do [ -f "$log" ] && sed 's/^/  zarvo: /' "$log" >&2; done
    exit 1
}
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    "$SOUND" stop >/dev/null 2>&1 || true
    if [ "${CHIMES_KEEP:-0}" = 1 ]; then echo "kept $RIG_DIR"; else rm -rf "$RIG_DIR"; fi
}
trap cleanup EXIT

[ -x "$BIN" ] || fail "no program at $BIN"
[ -r "$FAKETIME_LIB" ] || fail "no libfaketime at $FAKETIME_LIB (Debian package libfaketime)"
"$SOUND" start >/dev/null
eval "$("$SOUND" env)"
# The fake start is a local time; the program must read it in the same zone.
export TZ=${TZ:-Europe/Berlin} QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

# rms LEVEL-LINE: the rms figure of a "rms=... peak=..." line.
rms() { local r=${1#rms=}; echo "${r%% *}"; }
louder() { awk -v r="$1" -v t="$2" 'BEGIN { exit !(r > t) }'; }

# run CASE DING15: starts the program at FAKE_START with the quarter chime on (1) or off (0);
# sets BEFORE (the level until just before the quarter) and AFTER (the level from then on).
run() {
    local dir=$RIG_DIR/$1
    mkdir -p "$dir/config/zarvo" "$dir/data/zarvo" "$dir/home"
    # Values in the reading order up to the chime settings (the reading stops at the first one
    # missing): the quarter chime on or off, talk for every kind, nothing else on.
    cat >"$dir/config/zarvo/settings.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!]
"Sound"=dword:00000001
"Show"=dword:00000001
"SoundFile"=""
"EvNum"=dword:00000000
"Ding15"=dword:0000000$2
"Ding30"=dword:00000000
"Ding1h"=dword:00000000
"Repeat"=dword:00000000
"15File"=""
"30File"=""
"1hFile"=""
"Sound15"=dword:00000000
"Sound30"=dword:00000000
"Sound1h"=dword:00000000
REG
    chmod 600 "$dir/config/zarvo/settings.reg"
    local m0 m1
    m0=$("$SOUND" mark)
    XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data HOME=$dir/home \
        LD_PRELOAD=$FAKETIME_LIB FAKETIME="@$FAKE_START" FAKETIME_DONT_FAKE_MONOTONIC=1 \
        "$BIN" >"$dir/zarvo.log" 2>&1 &
    pid=$!
    # The quarter comes about 4 s after the start; the words take under 2 s.
    sleep 3
    kill -0 "$pid" 2>/dev/null || fail "$1: the program did not keep running"
    BEFORE=$("$SOUND" since "$m0" "$dir/before.wav")
    m1=$("$SOUND" mark)
    sleep 5
    AFTER=$("$SOUND" since "$m1" "$dir/after.wav")
    kill -TERM "$pid"
    wait "$pid" || fail "$1: exit status $? after SIGTERM"
    pid=""
}

run talk 1
louder "$(rms "$BEFORE")" 0.001 && fail "sound before the quarter ($BEFORE)"
louder "$(rms "$AFTER")" 0.001 || fail "no spoken time after the quarter ($AFTER)"
# How long the words were heard: the recording with its quiet ends cut off.
spoken=$(sox "$RIG_DIR/talk/after.wav" -n silence 1 0.01 1% reverse silence 1 0.01 1% reverse stat 2>&1 |
    awk '/^Length/ { print $3 }')
talk_level=$AFTER

run off 0
louder "$(rms "$BEFORE")" 0.001 && fail "no chime on, yet sound before the quarter ($BEFORE)"
louder "$(rms "$AFTER")" 0.001 && fail "no chime on, yet sound after the quarter ($AFTER)"

echo "chimes: spoken quarter heard ($talk_level, ${spoken} s of speech); silence with no chime on"
