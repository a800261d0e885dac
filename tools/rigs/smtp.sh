#!/bin/bash
# SMTP rig: aiosmtpd (python3-aiosmtpd) on 127.0.0.1:$SMTP_PORT, storing each accepted
# message as a file in $RIG_DIR/smtp/maildir/new (see smtp_server.py for the refusals).
#   smtp.sh start | stop | clear | status | list
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), SMTP_PORT (12525), SMTP_AUTH ('user:pass', default none),
#      SMTP_AUTH_REQUIRED (0), SMTP_REJECT_FROM / SMTP_REJECT_RCPT ('^reject'),
#      SMTP_TEMPFAIL_RCPT ('^tempfail').
. "$(dirname "$(readlink -f "$0")")/common.sh"; . "$(dirname "$(readlink -f "$0")")/tcp.sh"
HERE=$(dirname "$(readlink -f "$0")")
PORT=${SMTP_PORT:-12525} D=$RIG_DIR/smtp

case ${1:-start} in
start)
  need python3-aiosmtpd
  "$0" stop; port_free "$PORT"
  mkdir -p "$D/maildir"
  setsid /usr/bin/python3 "$HERE/smtp_server.py" "$PORT" "$D/maildir" >"$D/log" 2>&1 </dev/null &
  echo $! >"$D/pid"
  wait_port "$PORT"
  echo "SMTP_PORT=$PORT MAILDIR=$D/maildir PIDFILE=$D/pid LOG=$D/log"
  ;;
stop)   stop_pidfile "$D/pid" ;;
clear)  rm -f "$D"/maildir/new/* ;;
list)   ls -1 "$D"/maildir/new/ 2>/dev/null ;;
status) [ -f "$D/pid" ] && alive "$(cat "$D/pid")" && echo "running on 127.0.0.1:$PORT" ;;
*) echo "usage: $0 start|stop|clear|list|status" >&2; exit 2 ;;
esac
