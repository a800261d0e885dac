#!/bin/bash
# Panel rig: Xvfb on a free display + a private session bus + xfce4-panel with its status tray
# plugin, which is a real StatusNotifierItem host (it runs org.kde.StatusNotifierWatcher and
# registers itself as the host) and an XEmbed tray as well. A Qt program started with the printed
# environment shows its tray icon through StatusNotifierItem, and the panel draws it.
#   panel.sh start | stop | env | shot FILE.png
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), PANEL_SCREEN (1024x768x24), PANEL_DATA_DIRS: folders
#      put before /usr/share in the panel's XDG_DATA_DIRS (an installed icon theme to draw from).
# The panel sits at the top of the screen, 32 pixels high, with the tray as its only plugin.
# Everything it writes stays under $RIG_DIR/panel (HOME, XDG folders, its xfconf settings).
. "$(dirname "$(readlink -f "$0")")/common.sh"
D=$RIG_DIR/panel

bg() { # bg NAME CMD...: start CMD detached in the rig's environment, log and PID in $D
  local n=$1; shift
  setsid env HOME="$D/home" XDG_CONFIG_HOME="$D/config" XDG_CACHE_HOME="$D/cache" \
    XDG_DATA_HOME="$D/home/.local/share" XDG_RUNTIME_DIR="$D/run" \
    XDG_DATA_DIRS="${PANEL_DATA_DIRS:+$PANEL_DATA_DIRS:}/usr/local/share:/usr/share" \
    NO_AT_BRIDGE=1 GTK_A11Y=none GSETTINGS_BACKEND=memory \
    DISPLAY="$(cat "$D/display" 2>/dev/null)" DBUS_SESSION_BUS_ADDRESS="unix:path=$D/bus" \
    "$@" >"$D/$n.log" 2>&1 </dev/null &
  echo $! >"$D/$n.pid"
}
host_ready() {
  DBUS_SESSION_BUS_ADDRESS="unix:path=$D/bus" gdbus call --session -d org.kde.StatusNotifierWatcher \
    -o /StatusNotifierWatcher -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
    IsStatusNotifierHostRegistered 2>/dev/null | grep -q true
}

case ${1:-start} in
start)
  need xvfb x11-utils imagemagick xfce4-panel dbus libglib2.0-bin
  "$0" stop
  rm -rf "$D"
  mkdir -p "$D/home" "$D/cache" "$D/config/xfce4/xfconf/xfce-perchannel-xml" "$D/run"
  chmod 700 "$D/run"
  # The panel's settings in place before it starts: no first-start question, one tray plugin.
  cat >"$D/config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="icon-size" type="uint" value="24"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
  # A free display, chosen by the server: it writes the number and a newline to the FIFO.
  mkfifo "$D/display.fifo"
  setsid Xvfb -displayfd 3 -screen 0 "${PANEL_SCREEN:-1024x768x24}" -nolisten tcp \
    3>"$D/display.fifo" >"$D/xvfb.log" 2>&1 </dev/null &
  echo $! >"$D/xvfb.pid"
  read -r -t 10 n <"$D/display.fifo" || { echo "Xvfb gave no display number" >&2; exit 1; }
  rm -f "$D/display.fifo"
  echo ":$n" >"$D/display"
  until_ok xdpyinfo -display ":$n"
  # The bus's activated services (the panel's settings daemon) get the rig's folders too.
  bg bus dbus-daemon --session --nofork --address="unix:path=$D/bus"
  until_ok test -S "$D/bus"
  bg panel xfce4-panel --disable-wm-check
  until_ok host_ready
  "$0" env
  ;;
env) echo "export DISPLAY=$(cat "$D/display") DBUS_SESSION_BUS_ADDRESS=unix:path=$D/bus QT_QPA_PLATFORM=xcb" ;;
shot) import -display "$(cat "$D/display")" -window root "$2" ;;
stop)
  # The panel and the services its bus started (settings daemon, plugin wrappers) go with it.
  if [ -f "$D/panel.pid" ]; then
    for p in $(pgrep -s "$(cat "$D/panel.pid")" 2>/dev/null); do kill "$p" 2>/dev/null || true; done
  fi
  stop_pidfile "$D/panel.pid"
  if [ -f "$D/bus.pid" ]; then
    for p in $(pgrep -s "$(cat "$D/bus.pid")" 2>/dev/null); do kill "$p" 2>/dev/null || true; done
  fi
  stop_pidfile "$D/bus.pid"
  stop_pidfile "$D/xvfb.pid"
  ;;
*) echo "usage: $0 start|stop|env|shot FILE" >&2; exit 2 ;;
esac
