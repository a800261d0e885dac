#!/usr/bin/env bash
# The network actions against real servers on 127.0.0.1: starts the POP3, SMTP and time rigs and
# the time-and-date mock on a private bus (in a private RIG_DIR), runs the test program against
# them, and stops them again whatever happened.
set -euo pipefail
TEST=${NET_SERVERS_TEST:?NET_SERVERS_TEST names the test program}
RIGS=$(cd "$(dirname "$0")/../../tools/rigs" && pwd)
export RIG_DIR=${RIG_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/zarvo-net.XXXXXX")}
stop_all() {
    [ ! -f "$RIG_DIR/nm.pid" ] || kill "$(cat "$RIG_DIR/nm.pid")" 2>/dev/null || true
    for r in timedated time smtp pop3; do "$RIGS/$r.sh" stop || true; done
}
trap stop_all EXIT
# Ports the system picks, so that nothing else on the machine can be in the way.
. "$RIGS/common.sh"; . "$RIGS/tcp.sh"
export POP3_PORT=${POP3_PORT:-$(free_port)} SMTP_PORT=${SMTP_PORT:-$(free_port)}
export TIME_PORT=${TIME_PORT:-$(free_ports 4)} # and the three after it
"$RIGS/pop3.sh" start >/dev/null
# Dovecot's first log-in can wait for its auth process; the tests should not.
for _ in $(seq 40); do "$RIGS/pop3.sh" check >/dev/null 2>&1 && break; sleep 0.25; done
"$RIGS/smtp.sh" start >/dev/null
"$RIGS/time.sh" start >/dev/null
eval "$("$RIGS/timedated.sh" start | tail -1)"
# The network manager mocked on the same private bus, for the dial-up guard.
export NM_CALLS=$RIG_DIR/networkmanager.calls
setsid /usr/bin/python3 -m dbusmock --system -t networkmanager -l "$NM_CALLS" >"$RIG_DIR/nm.log" 2>&1 </dev/null &
echo $! >"$RIG_DIR/nm.pid"
gdbus wait --system --timeout 10 org.freedesktop.NetworkManager
export POP3_USER=${POP3_USER:-alice} POP3_PASS=${POP3_PASS:-secret}
export SMTP_MAILDIR=$RIG_DIR/smtp/maildir
export TIME_RIG=$RIGS/time.sh
export LC_ALL=C.UTF-8 TZ=Europe/Moscow QT_QPA_PLATFORM=offscreen
"$TEST"
