#!/bin/bash
# X rig: an Xvfb on a free display that listens on its unix socket only. No window manager and
# no tray host: enough for windows to be mapped, placed and photographed.
#   xvfb.sh start | stop | env | shot FILE.png
# `env` prints the exports for the display this rig started (eval it after `start`).
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), XVFB_SCREEN (1024x768x24).
. "$(dirname "$(readlink -f "$0")")/common.sh"
D=$RIG_DIR/xvfb

case ${1:-start} in
start)
  need xvfb x11-utils imagemagick
  "$0" stop
  mkdir -p "$D"
  start_xvfb "$D" "${XVFB_SCREEN:-1024x768x24}"
  "$0" env
  ;;
env) rig_display "$D"; echo "export DISPLAY=$DPY QT_QPA_PLATFORM=xcb" ;;
shot) rig_display "$D"; import -display "$DPY" -window root "$2" ;;
stop) stop_pidfile "$D/xvfb.pid"; rm -f "$D/display" "$D/displayfd" ;;
*) echo "usage: $0 start|stop|env|shot FILE.png" >&2; exit 2 ;;
esac
