#!/bin/bash
# TLS material for the TLS rigs and tests: a throw-away test CA, a server certificate for
# "localhost" (subjectAltName DNS:localhost, IP:127.0.0.1) signed by it, one for another name
# only ("mail.example.invalid", same CA: a host name mismatch), and a second, unrelated CA.
#   tlscerts.sh [make]   # makes the files unless they exist; prints their paths
#   tlscerts.sh clean
# Files in $RIG_DIR/tls: ca.pem ca.key server.pem server.key server-chain.pem (leaf + CA)
# otherhost.pem otherhost.key otherhost-chain.pem other-ca.pem other-ca.key. EC P-256 keys,
# valid for 30 days from when they were made. The program trusts the CA through SSL_CERT_FILE.
. "$(dirname "$(readlink -f "$0")")/common.sh"
D=$RIG_DIR/tls

make_ca() {  # make_ca NAME CN
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256 -days 30 \
    -keyout "$D/$1.key" -out "$D/$1.pem" -subj "/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    >/dev/null 2>&1
}
make_leaf() {  # make_leaf NAME CN SUBJECTALTNAMES
  openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256 \
    -keyout "$D/$1.key" -out "$D/$1.csr" -subj "/CN=$2" >/dev/null 2>&1
  printf '%s\n' "subjectAltName=$3" "basicConstraints=critical,CA:FALSE" \
    "keyUsage=critical,digitalSignature,keyEncipherment" "extendedKeyUsage=serverAuth" >"$D/$1.ext"
  openssl x509 -req -in "$D/$1.csr" -CA "$D/ca.pem" -CAkey "$D/ca.key" -CAcreateserial -sha256 \
    -days 30 -extfile "$D/$1.ext" -out "$D/$1.pem" >/dev/null 2>&1
  cat "$D/$1.pem" "$D/ca.pem" >"$D/$1-chain.pem"
}

case ${1:-make} in
make)
  if [ ! -s "$D/otherhost-chain.pem" ] || [ ! -s "$D/other-ca.pem" ]; then
    rm -rf "$D"; mkdir -p "$D"
    make_ca ca "Zarvo rig test CA"
    make_ca other-ca "Zarvo rig unrelated CA"
    make_leaf server localhost "DNS:localhost,IP:127.0.0.1"
    make_leaf otherhost mail.example.invalid "DNS:mail.example.invalid"
    chmod 644 "$D"/*.pem; chmod 600 "$D"/*.key
    openssl verify -CAfile "$D/ca.pem" -verify_hostname localhost "$D/server.pem" >/dev/null
  fi
  echo "CA=$D/ca.pem OTHER_CA=$D/other-ca.pem CERT=$D/server.pem KEY=$D/server.key CHAIN=$D/server-chain.pem" \
    "OTHERHOST_CHAIN=$D/otherhost-chain.pem OTHERHOST_KEY=$D/otherhost.key"
  ;;
clean) rm -rf "$D" ;;
*) echo "usage: $0 make|clean" >&2; exit 2 ;;
esac
