#!/bin/bash
# D-Bus mock rig: a private "system" bus and a private "session" bus (two dbus-daemon instances
# on sockets under $RIG_DIR/dbusmock) with python3-dbusmock templates on the system bus, and on
# request a mocked desktop session manager on the session bus. The program under test reaches
# them through the printed DBUS_SYSTEM_BUS_ADDRESS / DBUS_SESSION_BUS_ADDRESS; nothing here ever
# talks to the machine's own buses.
#   dbusmock.sh start | stop | env | clear
#   dbusmock.sh calls TEMPLATE        the template's call log ("<unix time> <Method> <args...>");
#                                     cumulative: count lines before and after, or use "clear"
#   dbusmock.sh session-manager gnome|kde|xfce|none
#                                     replace the mocked session manager on the session bus
#                                     (its calls go to $RIG_DIR/dbusmock/session-manager.calls)
# The logind mock gets what the template lacks: Halt, GetSessionByPID and one session "zarvo1"
# that GetSessionByPID returns for every process.
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), DBUSMOCK_TEMPLATES ("logind networkmanager"),
#      DBUSMOCK_PARAMS_<template> JSON template parameters.
. "$(dirname "$(readlink -f "$0")")/common.sh"
D=$RIG_DIR/dbusmock
SYS=unix:path=$D/system_bus_socket SES=unix:path=$D/session_bus_socket
export DBUS_SYSTEM_BUS_ADDRESS=$SYS DBUS_SESSION_BUS_ADDRESS=$SES
TEMPLATES=${DBUSMOCK_TEMPLATES:-logind networkmanager}
MOCK=org.freedesktop.DBus.Mock
obj() { # obj TEMPLATE -> "bus-name object-path" of the template's main object
  case $1 in
  logind) echo org.freedesktop.login1 /org/freedesktop/login1 ;;
  timedated) echo org.freedesktop.timedate1 /org/freedesktop/timedate1 ;;
  networkmanager) echo org.freedesktop.NetworkManager /org/freedesktop/NetworkManager ;;
  *) echo "add $1 to obj() in $0" >&2; return 1 ;;
  esac
}
# session manager NAME -> "bus-name object-path interface method in-signature"
sm() {
  case $1 in
  gnome) echo org.gnome.SessionManager /org/gnome/SessionManager org.gnome.SessionManager Logout u ;;
  kde) echo org.kde.ksmserver /KSMServer org.kde.KSMServerInterface logout iii ;;
  xfce) echo org.xfce.SessionManager /org/xfce/SessionManager org.xfce.Session.Manager Logout bb ;;
  *) return 1 ;;
  esac
}

case ${1:-start} in
start)
  need python3-dbusmock dbus libglib2.0-bin
  "$0" stop
  mkdir -p "$D"
  for bus in system session; do
    rm -f "$D/${bus}_bus_socket"
    setsid dbus-daemon --session --nofork --nopidfile --address="unix:path=$D/${bus}_bus_socket" \
      >"$D/$bus-bus.log" 2>&1 </dev/null &
    echo $! >"$D/$bus-bus.pid"
  done
  for i in $(seq 100); do [ -S "$D/system_bus_socket" ] && [ -S "$D/session_bus_socket" ] && break; sleep 0.05; done
  for t in $TEMPLATES; do
    params=DBUSMOCK_PARAMS_$t
    setsid /usr/bin/python3 -m dbusmock --system -t "$t" -l "$D/$t.calls" \
      ${!params:+-p "${!params}"} >"$D/$t.log" 2>&1 </dev/null &
    echo $! >"$D/$t.pid"
  done
  for t in $TEMPLATES; do set -- $(obj "$t"); gdbus wait --system --timeout 10 "$1"; done
  if [[ " $TEMPLATES " == *" logind "* ]]; then
    L=(gdbus call --system -d org.freedesktop.login1 -o /org/freedesktop/login1)
    "${L[@]}" -m $MOCK.AddMethod org.freedesktop.login1.Manager Halt b '' '' >/dev/null
    "${L[@]}" -m $MOCK.AddSession zarvo1 seat0 "uint32 $(id -u)" "$(id -un)" true >/dev/null
    "${L[@]}" -m $MOCK.AddMethod org.freedesktop.login1.Manager GetSessionByPID u o \
      'ret = "/org/freedesktop/login1/session/zarvo1"' >/dev/null
  fi
  "$0" env
  ;;
env) echo "export DBUS_SYSTEM_BUS_ADDRESS=$SYS DBUS_SESSION_BUS_ADDRESS=$SES" ;;
calls) cat "$D/$2.calls" ;;
clear)
  for t in $TEMPLATES; do set -- $(obj "$t")
    gdbus call --system -d "$1" -o "$2" -m $MOCK.ClearCalls >/dev/null; done ;;
session-manager)
  stop_pidfile "$D/session-manager.pid"
  [ "${2:-none}" != none ] || exit 0
  set -- $(sm "$2") || { echo "unknown session manager $2" >&2; exit 2; }
  setsid /usr/bin/python3 -m dbusmock --session -l "$D/session-manager.calls" "$1" "$2" "$3" \
    >"$D/session-manager.log" 2>&1 </dev/null &
  echo $! >"$D/session-manager.pid"
  gdbus wait --session --timeout 10 "$1"
  gdbus call --session -d "$1" -o "$2" -m $MOCK.AddMethod "$3" "$4" "$5" '' '' >/dev/null ;;
stop)
  for f in "$D"/*.pid; do [ "$f" = "$D/system-bus.pid" ] || [ "$f" = "$D/session-bus.pid" ] || stop_pidfile "$f"; done
  stop_pidfile "$D/system-bus.pid"; stop_pidfile "$D/session-bus.pid" ;;
*) echo "usage: $0 start|stop|env|calls TEMPLATE|clear|session-manager NAME" >&2; exit 2 ;;
esac
