#!/bin/bash
# SMTP rig with TLS: smtp_tls_server.py (aiosmtpd) on 127.0.0.1, on a port the system picks, with
# the test certificate of tlscerts.sh ("localhost"). Its own folder, so it runs beside smtp.sh.
#   smtp_tls.sh start | stop | env | clear | list | commands
#   commands: the command log (JSON lines: {"t","peer","line"} / {"t","peer","event"}), with a
#   "tls-up" event where a STARTTLS handshake completed
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), SMTP_TLS (starttls | none | implicit), SMTP_AUTH
#      ('alice:secret'; '' = no AUTH), SMTP_AUTH_REQUIRED (1), SMTP_AUTH_MECHS ("PLAIN LOGIN"),
#      SMTPTLS_NAME (the rig's folder under RIG_DIR, default smtptls: two can run side by side).
# Messages: $RIG_DIR/$SMTPTLS_NAME/maildir/new, each after X-Rig-Helo/-Auth/-Mail-From/-Rcpt-To/
# -TLS/-Authenticated lines.
. "$(dirname "$(readlink -f "$0")")/common.sh"
HERE=$(dirname "$(readlink -f "$0")")
D=$RIG_DIR/${SMTPTLS_NAME:-smtptls}

case ${1:-start} in
start)
  need python3-aiosmtpd openssl
  "$0" stop
  "$HERE/tlscerts.sh" make >/dev/null
  mkdir -p "$D/maildir"; rm -f "$D"/maildir/new/* "$D/port"; : >"$D/commands.jsonl"
  TLS_CERT=${TLS_CERT:-$RIG_DIR/tls/server-chain.pem} TLS_KEY=${TLS_KEY:-$RIG_DIR/tls/server.key} \
    setsid /usr/bin/python3 "$HERE/smtp_tls_server.py" "$D/port" "$D" >"$D/log" 2>&1 </dev/null &
  echo $! >"$D/pid"
  until_ok test -s "$D/port"
  "$0" env
  ;;
env)      echo "export SMTPTLS_PORT=$(cat "$D/port") SMTPTLS_MAILDIR=$D/maildir SMTPTLS_COMMANDS=$D/commands.jsonl" ;;
stop)     stop_pidfile "$D/pid"; rm -f "$D/port" ;;
clear)    rm -f "$D"/maildir/new/*; : >"$D/commands.jsonl" ;;
list)     ls -1 "$D"/maildir/new/ 2>/dev/null ;;
commands) cat "$D/commands.jsonl" 2>/dev/null ;;
*) echo "usage: $0 start|stop|env|clear|list|commands" >&2; exit 2 ;;
esac
