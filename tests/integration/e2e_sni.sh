#!/usr/bin/env bash
# End to end with a real StatusNotifierItem host: xfce4-panel's status tray on a private session
# bus under Xvfb (tools/rigs/panel.sh), the program's icons installed into a private theme folder.
# Checked through the protocol, with a client of our own (sni_client.py): one registered item
# with the theme icon's name and the tip; the dbusmenu menu is the tray menu with its captions and
# greyed items; Disable and Enable change the same item's icon and tip; the host's Activate is
# answered at once and opens Properties, as a real click on the icon the panel drew does; there
# "Start at login" unticked hides the installed autostart entry for this user;
# ContextMenu shows the menu; the dialogs and windows carry exactly their own titles; "E&xit"
# through the menu ends the program and the item leaves.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BIN=${ZARVO_BIN:-$ROOT/build/zarvo}
BUILD=${ZARVO_BUILD_DIR:-$ROOT/build}
RIG=$ROOT/tools/rigs/panel.sh
SNI=$ROOT/tests/integration/sni_client.py
XCLOSE=$ROOT/tests/integration/xclose.py
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-e2e-sni.XXXXXX")
pid=""
fail() { echo "FAIL: $*" >&2; [ -f "$RIG_DIR/zarvo.log" ] && sed 's/^/  zarvo: /' "$RIG_DIR/zarvo.log" >&2; exit 1; }
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    "$RIG" stop >/dev/null 2>&1 || true
    rm -rf "$RIG_DIR"
}
trap cleanup EXIT
# until SECONDS CMD...: polls CMD every 50 ms.
until_true() {
    local n=$(( $1 * 20 )); shift
    for _ in $(seq "$n"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
    return 1
}
visible() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
shown() { [ -n "$(visible "$1")" ]; }
gone() { [ -z "$(visible "$1")" ]; }
menu_has() { "$SNI" menu "$item" | grep -xF "$1" >/dev/null; }
prop_is() { "$SNI" props "$item" | grep -xF "$1" >/dev/null; }
registered() { [ -n "$("$SNI" items 2>/dev/null)" ]; }

# The icons as a package installs them, for the panel and the program to find by name.
DESTDIR=$RIG_DIR/inst cmake --install "$BUILD" --prefix /usr >/dev/null
export PANEL_DATA_DIRS=$RIG_DIR/inst/usr/share
"$RIG" start >/dev/null
eval "$("$RIG" env)"
[[ $DBUS_SESSION_BUS_ADDRESS == unix:path=$RIG_DIR/* ]] || fail "the session bus is not private"
export XDG_DATA_DIRS=$PANEL_DATA_DIRS:/usr/share XDG_CONFIG_DIRS=$RIG_DIR/inst/etc/xdg
export XDG_CONFIG_HOME=$RIG_DIR/config XDG_DATA_HOME=$RIG_DIR/data XDG_RUNTIME_DIR=$RIG_DIR/run
mkdir -p "$XDG_DATA_HOME/zarvo" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
# A start-up message due today brings up the Notifications window at start.
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec) VALUES (1, 'Good morning', '$(date +%F)', '00:00:00', 4, 1);
SQL

"$BIN" >"$RIG_DIR/zarvo.log" 2>&1 &
pid=$!
until_true 10 registered || fail "no item was registered with the watcher"
items=$("$SNI" items)
[ "$(wc -l <<<"$items")" -eq 1 ] || fail "more than one item: $items"
item=$items
until_true 5 prop_is "IconName=com.pelmark.Zarvo" || fail "item: $("$SNI" props "$item")"
prop_is "ToolTip=Zarvo!" || fail "tooltip: $("$SNI" props "$item")"
until_true 5 shown Notifications || fail "no window titled exactly 'Notifications'"

tab=$'\t'
expected_menu() { # expected_menu DISABLE-CAPTION ENTRY-STATE
    printf '%s\n' "_Properties...${tab}$2${tab}standard" "_Wizard...${tab}$2${tab}standard" \
        "${tab}enabled${tab}separator" "Show _clock${tab}enabled${tab}standard" \
        "Show stick_er${tab}enabled${tab}standard" "Show calen_dar${tab}enabled${tab}standard" \
        "${tab}enabled${tab}separator" "_Help${tab}enabled${tab}standard" "_About...${tab}enabled${tab}standard" \
        "${tab}enabled${tab}separator" "$1${tab}enabled${tab}standard" "E_xit${tab}enabled${tab}standard"
}
[ "$("$SNI" menu "$item")" = "$(expected_menu _Disable enabled)" ] || fail "menu: $("$SNI" menu "$item")"

# Disable and Enable: the same item, its icon and tip changed.
"$SNI" click "$item" _Disable
until_true 5 prop_is "ToolTip=Zarvo! (disabled)" || fail "disabled tip: $("$SNI" props "$item")"
prop_is "IconName=com.pelmark.Zarvo-disabled" || fail "disabled icon: $("$SNI" props "$item")"
until_true 5 menu_has "_Enable${tab}enabled${tab}standard" || fail "no _Enable: $("$SNI" menu "$item")"
[ "$("$SNI" items)" = "$item" ] || fail "Disable changed the registered items: $("$SNI" items)"
"$SNI" click "$item" _Enable
until_true 5 prop_is "ToolTip=Zarvo!" || fail "enabled tip: $("$SNI" props "$item")"
[ "$("$SNI" items)" = "$item" ] || fail "Enable changed the registered items: $("$SNI" items)"

# The host's Activate is answered at once and opens Properties; meanwhile its items are greyed.
"$SNI" activate "$item" 10 10 || fail "Activate was not answered"
until_true 5 shown Properties || fail "Activate did not open a window titled exactly 'Properties'"
until_true 5 menu_has "_Properties...${tab}disabled${tab}standard" || fail "_Properties... not greyed"
menu_has "_Wizard...${tab}disabled${tab}standard" || fail "_Wizard... not greyed"
# The installed autostart entry starts the program at login: on the Parameters page, Alt+G
# unticks "Start at lo&gin" and OK writes the user's override of the same name.
dialog=$(visible Properties)
look() { import -display "$DISPLAY" -window "$dialog" rgb:- 2>/dev/null | md5sum; }
# settle: until the dialog looks the same in three captures running (it has taken the focus and
# drawn what follows from it).
settle() {
    local a b c
    a=$(look) b=$(look)
    for _ in $(seq 50); do
        c=$(look)
        [ "$a" = "$b" ] && [ "$b" = "$c" ] && return 0
        a=$b b=$c
    done
    return 1
}
# press KEY: until the dialog shows the key's effect (a key that comes before Qt has made the
# dialog active is lost, so it is sent again).
press() {
    local before
    for _ in 1 2 3 4 5; do
        xdotool windowfocus --sync "$dialog"
        settle || return 1
        before=$(look)
        xdotool key "$1"
        until_true 1 eval '[ "$(look)" != "$before" ]' && return 0
    done
    return 1
}
press ctrl+Tab || fail "Ctrl+Tab did not turn the page"
press alt+g || fail "Alt+G did not change \"Start at lo&gin\""
# A mnemonic presses the box and ticks it a moment later (an animated click): OK only after that.
settle || fail "the dialog did not settle"
xdotool key Return
until_true 5 gone Properties || fail "Properties did not close with OK"
override=$XDG_CONFIG_HOME/autostart/com.pelmark.Zarvo.desktop
grep -qx 'Hidden=true' "$override" 2>/dev/null || fail "no override hides the installed autostart entry"
until_true 5 menu_has "_Properties...${tab}enabled${tab}standard" || fail "_Properties... still greyed"

# A real click on the icon the panel drew (its blue calendar head, in the panel's 32 pixels).
"$RIG" shot "$RIG_DIR/panel.png"
x="" y=""
read -r x y < <(convert "$RIG_DIR/panel.png" -crop 1024x32+0+0 +repage txt:- | awk -F'[ ,:()]+' '
    NR > 1 && $3 < 90 && $4 > 60 && $4 < 130 && $5 > 160 { sx += $1; sy += $2; n++ }
    END { if (n) printf "%d %d\n", sx / n, sy / n }') || true
[ -n "$x" ] || fail "the panel did not draw the icon"
xdotool mousemove "$x" "$y" click 1
until_true 5 shown Properties || fail "a click on the drawn icon did not open Properties"
"$XCLOSE" "$(visible Properties)"
until_true 5 gone Properties || fail "Properties did not close after the click"

# The menu through the host's ContextMenu request: a popup window of the program's own.
before=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)
"$SNI" context "$item" "$x" "$y" || fail "ContextMenu was not answered"
popup() { [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -gt "$before" ]; }
until_true 5 popup || fail "ContextMenu showed no menu"
xdotool key Escape
until_true 5 eval '! popup' || fail "the menu did not close on Escape"

# Every window carries exactly its own title.
for entry in "_About...|About" "_Wizard...|Events Wizard" "Show calen_dar|Calendar"; do
    label=${entry%%|*} title=${entry#*|}
    "$SNI" click "$item" "$label"
    until_true 5 shown "$title" || fail "no window titled exactly '$title' after $label"
    [ "$title" = Calendar ] || { "$XCLOSE" "$(visible "$title")"; until_true 5 gone "$title" || fail "$title stayed"; }
done
for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    name=$(xdotool getwindowname "$w")
    [[ $name != *Zarvo!* ]] || [ "$name" = Zarvo! ] || fail "a title carries the program's name: '$name'"
done

# "E_xit" through the menu: the program ends with 0 and its item leaves the watcher.
"$SNI" click "$item" E_xit
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && fail "E_xit did not end the program"
wait "$pid" || fail "exit status $? after E_xit"
pid=""
until_true 5 eval '! registered' || fail "the item stayed registered: $("$SNI" items)"
echo "e2e sni: one item (icon name, tip, menu), Disable/Enable in place, Activate, click, ContextMenu, titles, Exit"
