#!/bin/bash
# POP3 over TLS rig: a private Dovecot instance (like pop3.sh, in its own folder, so both can run
# side by side) with the test certificate of tlscerts.sh ("localhost", DNS:localhost + IP:127.0.0.1),
# on two ports that are free when it starts:
#   $POP3TLS_PORT   plain POP3 that offers STLS (ssl = required, disable_plaintext_auth)
#   $POP3S_PORT     POP3 over TLS from the first byte (pop3s)
#   pop3tls.sh start | stop | env | status | refill | check [stls|pop3s|plain] | logins | attempts
#   env: the ports and files as shell exports; logins: the Login lines of the log; attempts: every
#   line of the log that shows a log-in tried ("Login:", "auth", "user=<" with a name)
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs), POP3_USER (alice), POP3_PASS (secret), POP3_MSGS (3),
#      POP3TLS_CERT / POP3TLS_KEY (default the "localhost" certificate of tlscerts.sh).
# Log: $RIG_DIR/pop3tls/dovecot.log, with auth_verbose and verbose_ssl.
# Plaintext logins are refused even from 127.0.0.1: Dovecot counts a connection whose remote IP
# equals its local IP as "secured" and would let USER/PASS through without TLS. So the passdb file
# is chosen by %{secured} ("TLS" after STLS or on pop3s, "secured" for plain loopback) and only
# passwd-TLS exists: a plain login gets "-ERR [AUTH] Authentication failed.".
#   check plain: USER/PASS without TLS; exits 0 when it was refused (as it should be).
. "$(dirname "$(readlink -f "$0")")/common.sh"
HERE=$(dirname "$(readlink -f "$0")")
. "$HERE/tcp.sh"
USER_=${POP3_USER:-alice} PASS_=${POP3_PASS:-secret}
D=$RIG_DIR/pop3tls CONF=$RIG_DIR/pop3tls/dovecot.conf MAILDIR=$RIG_DIR/pop3tls/mail/${POP3_USER:-alice}
T=$RIG_DIR/tls
ports() { [ -s "$D/ports" ] || { echo "pop3tls is not running" >&2; return 1; }; read -r PORT SPORT <"$D/ports"; }

refill() {
  rm -rf "$MAILDIR"; mkdir -p "$MAILDIR"/{new,cur,tmp}
  local i f
  for i in $(seq "${POP3_MSGS:-3}"); do
    f=$MAILDIR/new/$(date +%s).M$(date +%N)P$$_$i.rig
    printf 'From: sender%d@example.org\nTo: %s@example.org\nSubject: TLS test message %d\nDate: %s\nMessage-ID: <rigtls-%s@example.org>\n\nBody of message %d.\n' \
      "$i" "$USER_" "$i" "$(date -R)" "$(date +%s%N)" "$i" >"$f"
  done
  chown -R nobody:nogroup "$D/mail"
}

case ${1:-start} in
start)
  need dovecot-core dovecot-pop3d openssl
  "$0" stop
  "$HERE/tlscerts.sh" make >/dev/null
  rm -rf "$D/base"; mkdir -p "$D/base" "$D/state"
  PORT=$(free_port) SPORT=$(free_port)
  while [ "$SPORT" = "$PORT" ]; do SPORT=$(free_port); done
  # Dovecot's processes run as other users: they must reach the files even when RIG_DIR was
  # made by mktemp (mode 0700).
  chmod o+x "$RIG_DIR" "$D"
  : >"$D/dovecot.log"
  printf '%s:{PLAIN}%s\n' "$USER_" "$PASS_" >"$D/passwd-TLS"
  cat >"$CONF" <<EOF
base_dir = $D/base
state_dir = $D/state
log_path = $D/dovecot.log
protocols = pop3
listen = 127.0.0.1
ssl = required
ssl_cert = <${POP3TLS_CERT:-$T/server-chain.pem}
ssl_key = <${POP3TLS_KEY:-$T/server.key}
ssl_min_protocol = TLSv1.2
disable_plaintext_auth = yes
auth_mechanisms = plain login
auth_failure_delay = 0
auth_verbose = yes
verbose_ssl = yes
login_log_format_elements = user=<%u> method=%m rip=%r lip=%l lport=%{lport} mpid=%e %c session=<%{session}>
mail_location = maildir:$D/mail/%u
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $D/passwd-%{secured}
}
userdb {
  driver = static
  args = uid=nobody gid=nogroup home=$D/mail/%u
}
service anvil {
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = $PORT
  }
  inet_listener pop3s {
    address = 127.0.0.1
    port = $SPORT
    ssl = yes
  }
}
EOF
  refill
  dovecot -c "$CONF"
  wait_port "$PORT"; wait_port "$SPORT"
  echo "$PORT $SPORT" >"$D/ports"
  ln -sf base/master.pid "$D/pid"
  "$0" env
  ;;
env)    ports; echo "export POP3TLS_PORT=$PORT POP3S_PORT=$SPORT POP3_USER=$USER_ POP3_PASS=$PASS_ TLS_CA=$T/ca.pem" \
          "TLS_OTHER_CA=$T/other-ca.pem POP3TLS_LOG=$D/dovecot.log" ;;
stop)   stop_pidfile "$D/base/master.pid"; rm -f "$D/pid" "$D/ports" ;;
refill) refill ;;
logins) grep -a 'pop3-login: Info: Login:' "$D/dovecot.log" || true ;;
attempts) grep -aE 'Login:|auth(-worker)?\(|user=<[^>]' "$D/dovecot.log" || true ;;
check)  # check stls|pop3s: USER/PASS/STAT/QUIT through openssl s_client, verifying "localhost"
  ports
  mode=${2:-pop3s}
  if [ "$mode" = plain ]; then
    exec 3<>/dev/tcp/127.0.0.1/"$PORT"
    say() { [ $# -eq 0 ] || { printf '%s\r\n' "$1" >&3; echo "C: $1"; }
            IFS= read -r -t 5 line <&3; line=${line%$'\r'}; echo "S: $line"; }
    say; say "USER $USER_"; say "PASS $PASS_"; pass=$line; say QUIT
    [[ $pass == "-ERR"* ]]; exit
  fi
  if [ "$mode" = stls ]; then args=(-starttls pop3 -connect 127.0.0.1:$PORT); else args=(-connect 127.0.0.1:$SPORT); fi
  out=$( { sleep 0.5; printf 'USER %s\r\n' "$USER_"; sleep 0.3; printf 'PASS %s\r\n' "$PASS_"; sleep 0.3
           printf 'STAT\r\n'; sleep 0.3; printf 'QUIT\r\n'; sleep 0.3; } |
         openssl s_client "${args[@]}" -CAfile "$T/ca.pem" -verify_hostname localhost -verify_return_error \
           -servername localhost -quiet 2>&1 | tr -d '\0' )
  echo "$out"
  grep -q '^+OK [0-9]' <<<"$out" ;;
status) ports && [ -f "$D/base/master.pid" ] && alive "$(cat "$D/base/master.pid")" && echo "running on 127.0.0.1:$PORT and :$SPORT" ;;
*) echo "usage: $0 start|stop|env|status|refill|logins|attempts|check [stls|pop3s|plain]" >&2; exit 2 ;;
esac
