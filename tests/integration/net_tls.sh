#!/usr/bin/env bash
# Mail over TLS against real servers on 127.0.0.1, on ports the system picks: Dovecot with TLS
# from the first byte and with STLS, a second Dovecot whose certificate names another host, and
# aiosmtpd with STARTTLS (AUTH PLAIN and LOGIN, or LOGIN only), with TLS from the first byte,
# without STARTTLS, and plain; all in a private RIG_DIR with a test CA. Runs the test program
# against them and stops them again whatever happened.
set -euo pipefail
TEST=${NET_TLS_TEST:?NET_TLS_TEST names the test program}
RIGS=$(cd "$(dirname "$0")/../../tools/rigs" && pwd)
export RIG_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-nettls.XXXXXX")
OTHER=$RIG_DIR/otherhost
export SMTP_RIGS=$RIG_DIR
smtp_rigs=(starttls login implicit nostarttls plain)
stop_all() {
    for n in "${smtp_rigs[@]}"; do SMTPTLS_NAME=$n "$RIGS/smtp_tls.sh" stop || true; done
    RIG_DIR=$OTHER "$RIGS/pop3tls.sh" stop || true
    "$RIGS/pop3tls.sh" stop || true
    rm -rf "$RIG_DIR"
}
trap stop_all EXIT

"$RIGS/tlscerts.sh" make >/dev/null
eval "$("$RIGS/pop3tls.sh" start | tail -1)"
# The same CA; a certificate for mail.example.invalid only.
mkdir -p "$OTHER" && cp -r "$RIG_DIR/tls" "$OTHER/tls"
eval "$(RIG_DIR=$OTHER POP3TLS_CERT=$OTHER/tls/otherhost-chain.pem POP3TLS_KEY=$OTHER/tls/otherhost.key \
    "$RIGS/pop3tls.sh" start | tail -1 | sed 's/export POP3TLS_PORT=/export OTHERHOST_POP3TLS_PORT=/;
        s/POP3S_PORT=/OTHERHOST_POP3S_PORT=/; s/POP3TLS_LOG=/OTHERHOST_LOG=/;
        s/ TLS_CA=[^ ]*//; s/ TLS_OTHER_CA=[^ ]*//')"
eval "$("$RIGS/pop3tls.sh" env)" # the first instance's values again
# Dovecot's first log-in can wait for its auth process; the tests should not.
for _ in $(seq 40); do "$RIGS/pop3tls.sh" check pop3s >/dev/null 2>&1 && break; sleep 0.25; done

SMTPTLS_NAME=starttls "$RIGS/smtp_tls.sh" start >/dev/null
SMTPTLS_NAME=login SMTP_AUTH_MECHS=LOGIN "$RIGS/smtp_tls.sh" start >/dev/null
SMTPTLS_NAME=implicit SMTP_TLS=implicit "$RIGS/smtp_tls.sh" start >/dev/null
SMTPTLS_NAME=nostarttls SMTP_TLS=none "$RIGS/smtp_tls.sh" start >/dev/null
SMTPTLS_NAME=plain SMTP_TLS=none SMTP_AUTH= "$RIGS/smtp_tls.sh" start >/dev/null

export LC_ALL=C.UTF-8 TZ=Europe/Moscow QT_QPA_PLATFORM=offscreen
unset SSL_CERT_FILE SSL_CERT_DIR
"$TEST"
