# Shared helpers for the rig scripts (sourced, not run).
# RIG_DIR: where configs, data, logs and PID files go (default ${TMPDIR:-/tmp}/zarvo-rigs).
# Every server a rig starts listens on 127.0.0.1 or on a unix socket only.
set -eu
RIG_DIR=${RIG_DIR:-${TMPDIR:-/tmp}/zarvo-rigs}
export DEBIAN_FRONTEND=noninteractive

# need PKG... : apt-get install the packages that are missing (quiet, idempotent).
# Package maintainer scripts must not start system services: a temporary
# /usr/sbin/policy-rc.d is put in place when none exists.
need() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local policy=/usr/sbin/policy-rc.d tmp_policy= rc=0 sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if [ ! -e $policy ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee $policy >/dev/null && $sudo chmod +x $policy && tmp_policy=1
  fi
  $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || rc=$?
  [ -z "$tmp_policy" ] || $sudo rm -f $policy
  return $rc
}

# alive PID: true while PID runs (a zombie waiting to be reaped counts as gone).
alive() { [ -r /proc/"$1"/stat ] && [ "$(sed 's/.*) //' /proc/"$1"/stat | cut -c1)" != Z ]; }

# until_ok CMD...: retry CMD every 50 ms for up to 10 s.
until_ok() {
  local i
  for i in $(seq 200); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
  echo "timeout: $*" >&2; return 1
}

# stop_pidfile FILE: TERM the process in FILE (then KILL after 5 s) and remove FILE.
stop_pidfile() {
  local f=$1 pid i
  [ -f "$f" ] || return 0
  pid=$(cat "$f")
  if kill "$pid" 2>/dev/null; then
    for i in $(seq 100); do alive "$pid" || break; sleep 0.05; done
    ! alive "$pid" || kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$f"
}
