#!/bin/bash
# Stall rig: stall_server.py on 127.0.0.1, on a port the system picks, for "the server hangs"
# tests: a server that accepts and never answers, or one that answers a byte at a time.
#   stall.sh start [PLAN...] | stop | env | log
#   PLAN: how each connection in turn is treated, the last entry repeating (default "silent"):
#     silent, silent:SECONDS (then it hangs up), tls-silent[:SECONDS] (after a TLS handshake with
#     the certificate of tlscerts.sh), drip-pop3:INTERVAL (see stall_server.py)
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs). Log: $RIG_DIR/stall/log.jsonl (one JSON line per event)
. "$(dirname "$(readlink -f "$0")")/common.sh"
HERE=$(dirname "$(readlink -f "$0")")
D=$RIG_DIR/stall

case ${1:-start} in
start)
  shift || true
  "$0" stop
  mkdir -p "$D"
  rm -f "$D/port"; : >"$D/log.jsonl"
  case " $* " in *" tls-silent"*)
    "$HERE/tlscerts.sh" make >/dev/null
    export STALL_TLS_CERT=$RIG_DIR/tls/server-chain.pem STALL_TLS_KEY=$RIG_DIR/tls/server.key ;;
  esac
  setsid /usr/bin/python3 "$HERE/stall_server.py" "$D/log.jsonl" "$D/port" "$@" >"$D/out" 2>&1 </dev/null &
  echo $! >"$D/pid"
  until_ok test -s "$D/port"
  "$0" env
  ;;
env)   echo "export STALL_PORT=$(cat "$D/port") STALL_LOG=$D/log.jsonl" ;;
stop)  stop_pidfile "$D/pid" ;;
log)   cat "$D/log.jsonl" 2>/dev/null ;;
*) echo "usage: $0 start [PLAN...]|stop|env|log" >&2; exit 2 ;;
esac
