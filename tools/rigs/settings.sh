#!/bin/bash
# The program's settings file for a test, in the XDG folders of the environment.
#   settings.sh init BIN           a first start of BIN writes every value; it is ended again
#   settings.sh set NAME VALUE...  sets values in the file's own syntax ('"text"', dword:0000006e);
#                                  the value "password:TEXT" is stored scrambled, as the program does
# Env: XDG_CONFIG_HOME (the file is $XDG_CONFIG_HOME/zarvo/settings.reg).
set -eu
FILE=${XDG_CONFIG_HOME:?}/zarvo/settings.reg

scrambled() {  # the program's password scrambling, as the file holds it
  python3 -c '
import sys
key, out = 47093, []
for b in sys.argv[1].encode():
    o = b ^ (key >> 8); out.append("%02x" % o); key = ((o + key) * 14509 + 52178) & 0xFFFF
print("hex(1):" + ",".join(out))' "$1"
}

case ${1:-} in
init)
  "$2" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 200); do [ -s "$FILE" ] && break; sleep 0.05; done
  kill -TERM "$pid"; wait "$pid"
  [ -s "$FILE" ] || { echo "no settings file was written" >&2; exit 1; }
  ;;
set)
  shift
  while [ $# -ge 2 ]; do
    name=$1 value=$2; shift 2
    case $value in password:*) value=$(scrambled "${value#password:}") ;; esac
    grep -q "^\"$name\"=" "$FILE" || { echo "no value $name in $FILE" >&2; exit 1; }
    # The value goes in whole: no character in it means anything to the editing.
    NAME=$name VALUE=$value python3 -c '
import os, sys
path, name, value = sys.argv[1], os.environ["NAME"], os.environ["VALUE"]
lines = open(path, encoding="utf-8").read().split("\n")
lines = [("\"%s\"=%s" % (name, value)) + ("\r" if l.endswith("\r") else "")
         if l.startswith("\"%s\"=" % name) else l for l in lines]
open(path, "w", encoding="utf-8").write("\n".join(lines))' "$FILE"
  done
  ;;
*) echo "usage: $0 init BIN | set NAME VALUE..." >&2; exit 2 ;;
esac
