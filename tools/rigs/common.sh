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

# start_xvfb DIR SCREEN [VAR=VALUE...]: start Xvfb on a display that is free now. Xvfb picks the
# number itself and writes it to fd 3, a file here: it may write the number and its newline in
# two writes, so the number counts only once the newline is there. Sets DPY=:N and keeps it in
# DIR/display for later calls of the rig; the PID goes to DIR/xvfb.pid, the log to DIR/xvfb.log.
# -noreset: by default the server resets when its last client leaves, and a client that connects
# during that reset is turned away; on a busy machine the window manager, started right after the
# readiness check disconnected, was (4 of 15 paired starts).
start_xvfb() {
  local d=$1 screen=$2 pid i n=""
  shift 2
  rm -f "$d/display"
  : >"$d/displayfd" # there before Xvfb starts, so that the wait below can read it at once
  env "$@" setsid Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset \
    3>"$d/displayfd" >"$d/xvfb.log" 2>&1 </dev/null &
  pid=$!
  echo $pid >"$d/xvfb.pid"
  for i in $(seq 400); do
    [ "$(wc -l <"$d/displayfd")" -ge 1 ] && { n=$(head -1 "$d/displayfd"); break; }
    alive $pid || break
    sleep 0.05
  done
  [[ $n =~ ^[0-9]+$ ]] || { echo "Xvfb gave no display number:" >&2; cat "$d/xvfb.log" >&2; return 1; }
  DPY=:$n
  echo "$DPY" >"$d/display"
  until_ok xdpyinfo -display "$DPY"
}

# rig_display DIR: the display a running rig started in DIR uses (sets DPY).
rig_display() {
  [ -s "$1/display" ] || { echo "the X server of $1 is not running" >&2; return 1; }
  DPY=$(cat "$1/display")
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
