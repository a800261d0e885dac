#!/bin/bash
# Clock-setting rig: a private "system" bus (a dbus-daemon on a socket under
# $RIG_DIR/timedated) with the time-and-date service mocked by python3-dbusmock. SetTime calls
# are recorded, never carried out. The program reaches it through the printed
# DBUS_SYSTEM_BUS_ADDRESS.
#   timedated.sh start | stop | env | calls
#   calls: "<unix time> SetTime <usec> <relative> <interactive>" per call (cumulative)
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs).
. "$(dirname "$(readlink -f "$0")")/common.sh"
D=$RIG_DIR/timedated
BUS=unix:path=$D/system_bus_socket

case ${1:-start} in
start)
  need python3-dbusmock dbus libglib2.0-bin
  "$0" stop
  mkdir -p "$D"
  rm -f "$D/system_bus_socket" "$D/timedated.calls"
  setsid dbus-daemon --session --nofork --nopidfile --address="$BUS" >"$D/bus.log" 2>&1 </dev/null &
  echo $! >"$D/bus.pid"
  until_ok test -S "$D/system_bus_socket"
  DBUS_SYSTEM_BUS_ADDRESS=$BUS setsid /usr/bin/python3 -m dbusmock --system -t timedated \
    -l "$D/timedated.calls" >"$D/mock.log" 2>&1 </dev/null &
  echo $! >"$D/mock.pid"
  DBUS_SYSTEM_BUS_ADDRESS=$BUS gdbus wait --system --timeout 10 org.freedesktop.timedate1
  "$0" env
  ;;
env) echo "export DBUS_SYSTEM_BUS_ADDRESS=$BUS" ;;
calls) cat "$D/timedated.calls" 2>/dev/null || true ;;
stop) stop_pidfile "$D/mock.pid"; stop_pidfile "$D/bus.pid" ;;
*) echo "usage: $0 start|stop|env|calls" >&2; exit 2 ;;
esac
