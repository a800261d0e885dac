#!/bin/bash
# Tray rig: Xvfb on a free display + a window manager + a panel with a system tray (XEmbed,
# _NET_SYSTEM_TRAY_S0), so QSystemTrayIcon::isSystemTrayAvailable() is true under xcb.
#   tray.sh start | stop | env | shot FILE.png | wmstate WINDOW-TITLE
#   wmstate: _NET_WM_STATE and _NET_WM_WINDOW_TYPE of the first window with that exact title.
#   env: the exports for the display this rig started (eval it after every `start`).
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), TRAY_SCREEN (1024x768x24),
#      TRAY_WM: xfwm4 (default; gives Qt::Tool = utility windows _NET_WM_STATE_SKIP_TASKBAR
#               by itself) | openbox (needs the rule written below for the same effect) | none
#      TRAY_HOST: tint2 (default; taskbar + tray, bottom) | trayer (tray only, top right)
#                 | none (no tray: isSystemTrayAvailable() == false)
# The WM and panel run with HOME=$RIG_DIR/tray/home so they write nothing into ~root.
. "$(dirname "$(readlink -f "$0")")/common.sh"
D=$RIG_DIR/tray DPY="" WM=${TRAY_WM:-xfwm4} HOST=${TRAY_HOST:-tint2}
bg() {  # bg NAME CMD...: start CMD detached, log to $D/NAME.log, PID to $D/NAME.pid
  local n=$1; shift
  DISPLAY=$DPY HOME=$D/home setsid "$@" >"$D/$n.log" 2>&1 </dev/null &
  echo $! >"$D/$n.pid"
}
wm_ready() { xprop -display "$DPY" -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
tray_owned() {  # is there an owner of the _NET_SYSTEM_TRAY_S0 selection?
  DISPLAY=$DPY /usr/bin/python3 -c 'import ctypes as c, sys
x = c.CDLL("libX11.so.6"); x.XOpenDisplay.restype = c.c_void_p
x.XInternAtom.argtypes = [c.c_void_p, c.c_char_p, c.c_int]; x.XInternAtom.restype = c.c_ulong
x.XGetSelectionOwner.argtypes = [c.c_void_p, c.c_ulong]; x.XGetSelectionOwner.restype = c.c_ulong
d = x.XOpenDisplay(None)
sys.exit(0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0)) else 1)'
}

case ${1:-start} in
start)
  pk=(xvfb x11-utils xdotool imagemagick python3); [ "$WM" = none ] || pk+=("$WM"); [ "$HOST" = none ] || pk+=("$HOST")
  need "${pk[@]}"
  "$0" stop
  mkdir -p "$D/home"
  start_xvfb "$D" "${TRAY_SCREEN:-1024x768x24}" HOME="$D/home"
  case $WM in
    xfwm4) bg wm xfwm4 --compositor=off ;;
    openbox)
      cat >"$D/openbox.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <applications>
    <application class="*" type="utility"><skip_taskbar>yes</skip_taskbar></application>
  </applications>
</openbox_config>
EOF
      bg wm openbox --config-file "$D/openbox.xml" ;;
  esac
  [ "$WM" = none ] || until_ok wm_ready
  case $HOST in
    tint2) cp /etc/xdg/tint2/tint2rc "$D/tint2rc"; bg host tint2 -c "$D/tint2rc" ;;
    trayer) bg host trayer --edge top --align right --widthtype request --height 32 \
              --SetDockType true --transparent false ;;
  esac
  [ "$HOST" = none ] || until_ok tray_owned
  "$0" env
  ;;
env) rig_display "$D"; echo "export DISPLAY=$DPY QT_QPA_PLATFORM=xcb" ;;
shot) rig_display "$D"; import -display "$DPY" -window root "$2" ;;
wmstate)
  rig_display "$D"
  w=$(DISPLAY=$DPY xdotool search --name "^$2\$" | head -1)
  [ -n "$w" ] && xprop -display "$DPY" -id "$w" _NET_WM_STATE _NET_WM_WINDOW_TYPE ;;
stop) for n in host wm xvfb; do stop_pidfile "$D/$n.pid"; done; rm -f "$D/display" "$D/displayfd" ;;
*) echo "usage: $0 start|stop|env|shot FILE|wmstate TITLE" >&2; exit 2 ;;
esac
