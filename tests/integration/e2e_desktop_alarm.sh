#!/usr/bin/env bash
# End to end, as a new user meets it: a fresh profile, the Events Wizard driven from the keyboard
# makes a Notification "Tea is ready" a few seconds ahead, naming no sound. When it fires, the
# desktop's alarm sound (the freedesktop theme's Ogg Vorbis, decoded into the cache) is heard on
# a recorded null sink, the Notifications window appears, and the mocked desktop notification
# service receives the line with the program's name, icon and category. On the way: the clock's
# first place on the screen and the window icon.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e-alarm.XXXXXX")
pid="" daemon=""
fail() { echo "FAIL: $*" >&2; [ -f "$RIG_DIR/zarvo.log" ] && sed 's/^/  zarvo: /' "$RIG_DIR/zarvo.log" >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    [ -z "$daemon" ] || kill "$daemon" 2>/dev/null || true
    "$ROOT/tools/rigs/dbusmock.sh" stop >/dev/null 2>&1 || true
    "$ROOT/tools/rigs/sound.sh" stop >/dev/null 2>&1 || true
    "$ROOT/tools/rigs/xvfb.sh" stop >/dev/null 2>&1 || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT

THEME_SOUND=/usr/share/sounds/freedesktop/stereo/alarm-clock-elapsed.oga
[ -f "$THEME_SOUND" ] || fail "$THEME_SOUND is missing (sound-theme-freedesktop, tools/deps.sh)"

"$ROOT/tools/rigs/xvfb.sh" start >/dev/null
eval "$("$ROOT/tools/rigs/xvfb.sh" env)"
"$ROOT/tools/rigs/sound.sh" start >/dev/null
eval "$("$ROOT/tools/rigs/sound.sh" env)"
"$ROOT/tools/rigs/dbusmock.sh" start >/dev/null
eval "$("$ROOT/tools/rigs/dbusmock.sh" env)"
/usr/bin/python3 -m dbusmock --session -t notification_daemon -l "$RIG_DIR/notify.calls" \
    >"$RIG_DIR/notify.log" 2>&1 </dev/null &
daemon=$!
gdbus wait --session --timeout 20 org.freedesktop.Notifications || fail "no mocked notification service"

# A fresh profile; the system's sound themes as installed.
export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data XDG_CACHE_HOME=$RIG_DIR/cache
export XDG_DATA_DIRS=/usr/share XDG_CONFIG_DIRS=$RIG_DIR/etc-xdg
unset XDG_CURRENT_DESKTOP LC_ALL LC_TIME
export LANG=C.UTF-8
"$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
pid=$!

# No tray on this display: the clock is shown, at its first place in the top right corner.
clock=$(timeout 10 xdotool search --sync --onlyvisible --name '^Zarvo!$' | head -n1) || fail "no clock window"
eval "$(xdotool getwindowgeometry --shell "$clock")"
screen_w=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
[ "$Y" -gt 0 ] && [ $((X + WIDTH)) -lt "$screen_w" ] && [ $((X + WIDTH)) -gt $((screen_w - 100)) ] ||
    fail "the clock's first place is $X,$Y (${WIDTH}x$HEIGHT), not in the top right corner"
has_icon() { [[ "$(xprop -id "$1" _NET_WM_ICON)" == *"Icon ("* ]]; }
has_icon "$clock" || fail "the clock window carries no icon"

# --version and --help answer at once, beside the running copy, and touch no file of anyone's.
untouched=$RIG_DIR/untouched
out=$(XDG_CONFIG_HOME=$untouched XDG_DATA_HOME=$untouched XDG_RUNTIME_DIR=$untouched "$BIN" --version) ||
    fail "--version exited with $?"
[ "$out" = "Zarvo! 4.02" ] || fail "--version printed '$out'"
out=$(XDG_CONFIG_HOME=$untouched XDG_DATA_HOME=$untouched XDG_RUNTIME_DIR=$untouched "$BIN" --help) ||
    fail "--help exited with $?"
[[ "$out" == "Usage: zarvo "* && "$out" == *--version* ]] || fail "--help printed '$out'"
[ ! -e "$untouched" ] || fail "--version or --help made $(find "$untouched")"
out=$(timeout 5 "$BIN" --no-such-option 2>&1) || fail "another argument: exit status $?"
[ -z "$out" ] || fail "another argument was not ignored: '$out'"
kill -0 "$pid" 2>/dev/null || fail "the running copy ended"

# The wizard from the clock's menu (its accelerator W), then page by page from the keyboard.
xdotool mousemove --window "$clock" 10 5 click 3
sleep 0.3
xdotool key w
wizard=$(timeout 10 xdotool search --sync --onlyvisible --name '^Events Wizard$' | head -n1) || fail "no wizard"
has_icon "$wizard" || fail "the wizard carries no icon"
xdotool windowfocus --sync "$wizard"
step() { xdotool key "$@"; sleep 0.2; }
step Return                          # welcome -> name
xdotool type --delay 20 'Tea is ready'
step Return                          # -> type (Notification)
step Return                          # -> custom sound (left empty)
step Return                          # -> date and time
# A time a few seconds ahead, typed over the time picker's text (Alt+T is its label's key).
while [ "$(date +%H%M)" = 2359 ]; do sleep 1; done # the wizard's date is today
due=$(( $(date +%s) + 6 ))
step alt+t ctrl+a
xdotool type --delay 20 "$(date -d "@$due" +%H:%M:%S)"
mark=$("$ROOT/tools/rigs/sound.sh" mark)
step Return                          # Finish
stored=$(sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "SELECT EvName || '|' || EvType || '|' || EvTime || '|' || ifnull(EvCS, '') FROM events")
[ "$stored" = "Tea is ready|0|$(date -d "@$due" +%T)|" ] || fail "the wizard stored '$stored'"

timeout 15 xdotool search --sync --onlyvisible --name '^Notifications$' >/dev/null ||
    fail "the Notifications window did not appear"
[ "$(date +%s)" -ge "$due" ] || fail "fired before its second"
sleep 2
level=$("$ROOT/tools/rigs/sound.sh" since "$mark")
rms=${level#rms=}; rms=${rms%% *}
awk -v r="$rms" 'BEGIN { exit !(r > 0.001) }' || fail "no alarm sound was recorded ($level)"
ls "$XDG_CACHE_HOME"/zarvo/sounds/alarm-clock-elapsed-*.wav >/dev/null 2>&1 ||
    fail "the theme's sound was not the one played (nothing decoded into the cache)"

for _ in $(seq 50); do grep -q 'Notify' "$RIG_DIR/notify.calls" 2>/dev/null && break; sleep 0.1; done
call=$(grep 'Notify' "$RIG_DIR/notify.calls" || true)
for want in '"Zarvo!"' '"com.pelmark.Zarvo"' '"Tea is ready"' "\"$(date -d "@$due" +%T)\"" \
    '"category": "x-zarvo.alarm"' '"suppress-sound": True'; do
    [[ "$call" == *"$want"* ]] || fail "the desktop notification lacks $want: $call"
done
[ "$(grep -c 'Notify' "$RIG_DIR/notify.calls")" -eq 1 ] || fail "more than one desktop notification"

kill -TERM "$pid"; wait "$pid" || fail "exit status $? after SIGTERM"
pid=""
echo "e2e desktop alarm: wizard event fired, theme sound rms $rms, desktop notification sent"
