#!/bin/bash
# X rig: an Xvfb on $XVFB_DISPLAY (default :77) that listens on its unix socket only. No window
# manager and no tray host: enough for windows to be mapped, placed and photographed.
#   xvfb.sh start | stop | env | shot FILE.png
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), XVFB_DISPLAY (:77), XVFB_SCREEN (1024x768x24).
. "$(dirname "$(readlink -f "$0")")/common.sh"
D=$RIG_DIR/xvfb DPY=${XVFB_DISPLAY:-:77}

case ${1:-start} in
start)
  need xvfb x11-utils imagemagick
  "$0" stop
  [ ! -e "/tmp/.X11-unix/X${DPY#:}" ] || { echo "display $DPY is already in use" >&2; exit 1; }
  mkdir -p "$D"
  setsid Xvfb "$DPY" -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp >"$D/xvfb.log" 2>&1 </dev/null &
  echo $! >"$D/xvfb.pid"
  until_ok xdpyinfo -display "$DPY"
  "$0" env
  ;;
env) echo "export DISPLAY=$DPY QT_QPA_PLATFORM=xcb" ;;
shot) import -display "$DPY" -window root "$2" ;;
stop) stop_pidfile "$D/xvfb.pid" ;;
*) echo "usage: $0 start|stop|env|shot FILE.png" >&2; exit 2 ;;
esac
