#!/bin/bash
# POP3 rig: a private Dovecot instance on 127.0.0.1:$POP3_PORT, plaintext USER/PASS
# without TLS, one passwd-file user, a maildir refilled with $POP3_MSGS messages.
#   pop3.sh start | stop | status | refill | add [FILE] | check [PASS]
#   refill: back to $POP3_MSGS fresh messages; add: one more (new UIDL); check: raw dialogue
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), POP3_PORT (11110), POP3_USER (alice), POP3_PASS (secret),
#      POP3_MSGS (3), POP3_MECHS ("plain login"; add "apop" to offer APOP).
# A wrong password gets "-ERR [AUTH] Authentication failed." after ~0.5 s (Dovecot flushes
# failures on a 500 ms timer even with auth_failure_delay = 0); no penalty afterwards.
HERE=$(dirname "$(readlink -f "$0")")
. "$HERE/common.sh"; . "$HERE/tcp.sh"
PORT=${POP3_PORT:-11110} USER_=${POP3_USER:-alice} PASS_=${POP3_PASS:-secret}
D=$RIG_DIR/pop3 CONF=$RIG_DIR/pop3/dovecot.conf MAILDIR=$RIG_DIR/pop3/mail/${POP3_USER:-alice}

add() {  # add [FILE]: deliver FILE (default: a generated message) into the maildir
  local n f
  n=$(($(find "$MAILDIR/new" "$MAILDIR/cur" -type f | wc -l) + 1))
  f=$MAILDIR/new/$(date +%s).M$(date +%N)P$$_$n.rig
  if [ -n "${1:-}" ]; then cp "$1" "$f"; else
    printf 'From: sender%d@example.org\nTo: %s@example.org\nSubject: Test message %d\nDate: %s\nMessage-ID: <rig-%s@example.org>\n\nBody of message %d.\n' \
      "$n" "$USER_" "$n" "$(date -R)" "$(date +%s%N)" "$n" >"$f"
  fi
  chown nobody:nogroup "$f"
}
refill() {  # empty the maildir, then add $POP3_MSGS generated messages
  rm -rf "$MAILDIR"; mkdir -p "$MAILDIR"/{new,cur,tmp}; chown -R nobody:nogroup "$D/mail"
  local i; for i in $(seq "${POP3_MSGS:-3}"); do add; done
}

case ${1:-start} in
start)
  need dovecot-core dovecot-pop3d
  "$0" stop; port_free "$PORT"
  rm -rf "$D/base"; mkdir -p "$D/base" "$D/state"   # stale sockets would re-enable the penalty
  # Dovecot's auth and mail processes run as other users: they must be able to reach the files
  # even when RIG_DIR was made by mktemp (mode 0700).
  chmod o+x "$RIG_DIR" "$D"
  printf '%s:{PLAIN}%s\n' "$USER_" "$PASS_" >"$D/passwd"
  cat >"$CONF" <<EOF
base_dir = $D/base
state_dir = $D/state
log_path = $D/dovecot.log
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = ${POP3_MECHS:-plain login}
auth_failure_delay = 0
mail_location = maildir:$D/mail/%u
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $D/passwd
}
userdb {
  driver = static
  args = uid=nobody gid=nogroup home=$D/mail/%u
}
service anvil {   # no anvil-auth-penalty socket: no growing delay after failed logins
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = $PORT
  }
}
EOF
  refill
  dovecot -c "$CONF"            # forks; master PID is written to $D/base/master.pid
  wait_port "$PORT"
  ln -sf base/master.pid "$D/pid"
  echo "POP3_PORT=$PORT POP3_USER=$USER_ POP3_PASS=$PASS_ MAILDIR=$MAILDIR PIDFILE=$D/pid LOG=$D/dovecot.log"
  ;;
stop)   stop_pidfile "$D/base/master.pid"; rm -f "$D/pid" ;;
refill) refill ;;
add)    add "${2:-}" ;;
check)  # raw dialogue over /dev/tcp: greeting, USER, PASS [$2], STAT, QUIT; fails unless STAT is +OK
  exec 3<>/dev/tcp/127.0.0.1/"$PORT"
  say() { [ $# -eq 0 ] || { printf '%s\r\n' "$1" >&3; echo "C: $1"; }
          IFS= read -r -t 5 line <&3; line=${line%$'\r'}; echo "S: $line"; }
  say; say "USER $USER_"; say "PASS ${2:-$PASS_}"; say STAT; stat=$line; say QUIT
  [[ $stat == "+OK "* ]] ;;
status) [ -f "$D/base/master.pid" ] && alive "$(cat "$D/base/master.pid")" && echo "running on 127.0.0.1:$PORT" ;;
*) echo "usage: $0 start|stop|status|refill|add [FILE]|check [PASS]" >&2; exit 2 ;;
esac
