#!/bin/bash
# RFC 868 time rig: a private xinetd (built-in "time" service) on 127.0.0.1:$TIME_PORT
# (TCP and UDP), run under libfaketime so a test can shift the served clock.
#   time.sh start | stop | status | offset OFFSET
#   127.0.0.1:$TIME_PORT      RFC 868 time, TCP and UDP (4 bytes, big-endian secs since 1900)
#   127.0.0.1:$TIME_PORT+1    accepts, then closes at once without data (/bin/true)
#   127.0.0.1:$TIME_PORT+2    accepts, never answers (built-in discard): client timeout
#   127.0.0.1:$TIME_PORT+3    nothing listens: connection refused
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), TIME_PORT (13700), TIME_OFFSET (a libfaketime offset, "+0";
#      e.g. "-3600" or "+2d"). "time.sh offset OFFSET" changes it while running.
. "$(dirname "$(readlink -f "$0")")/common.sh"; . "$(dirname "$(readlink -f "$0")")/tcp.sh"
PORT=${TIME_PORT:-13700} D=$RIG_DIR/time

case ${1:-start} in
start)
  need xinetd rdate libfaketime
  "$0" stop; port_free "$PORT"
  mkdir -p "$D"
  echo "${TIME_OFFSET:-+0}" >"$D/offset"
  cat >"$D/xinetd.conf" <<EOF
defaults
{
  log_type       = FILE $D/access.log
  log_on_success = HOST PID DURATION
  log_on_failure = HOST
  bind           = 127.0.0.1
  # xinetd turns a service off for 10 s after 50 connections in a second; the benchmark makes more.
  cps            = 10000 1
}
service time
{
  type = INTERNAL UNLISTED
  id = time-stream
  socket_type = stream
  protocol = tcp
  wait = no
  user = root
  port = $PORT
}
service time
{
  type = INTERNAL UNLISTED
  id = time-dgram
  socket_type = dgram
  protocol = udp
  wait = yes
  user = root
  port = $PORT
}
service rig-close
{
  type = UNLISTED
  socket_type = stream
  protocol = tcp
  wait = no
  user = nobody
  server = /bin/true
  port = $((PORT + 1))
}
service discard
{
  type = INTERNAL UNLISTED
  id = discard-stream
  socket_type = stream
  protocol = tcp
  wait = no
  user = root
  port = $((PORT + 2))
}
EOF
  lib=$(dpkg -L libfaketime | grep '/libfaketime.so.1$')
  LD_PRELOAD=$lib FAKETIME_TIMESTAMP_FILE=$D/offset FAKETIME_NO_CACHE=1 \
    xinetd -f "$D/xinetd.conf" -pidfile "$D/pid" -filelog "$D/xinetd.log"
  wait_port "$PORT"
  echo "TIME_PORT=$PORT (tcp+udp) CLOSE_PORT=$((PORT + 1)) SILENT_PORT=$((PORT + 2)) REFUSED_PORT=$((PORT + 3)) OFFSET=$(cat "$D/offset") PIDFILE=$D/pid"
  ;;
offset) echo "$2" >"$D/offset" ;;
stop)   stop_pidfile "$D/pid" ;;
status) [ -f "$D/pid" ] && alive "$(cat "$D/pid")" && echo "running on 127.0.0.1:$PORT" ;;
*) echo "usage: $0 start|stop|status|offset OFFSET" >&2; exit 2 ;;
esac
