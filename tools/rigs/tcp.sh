# TCP helpers for the server rigs (sourced after common.sh).

# wait_port PORT [SECONDS]: wait until something listens on 127.0.0.1:PORT.
wait_port() {
  local i
  for i in $(seq $((${2:-10} * 20))); do
    (exec 3<>/dev/tcp/127.0.0.1/"$1") 2>/dev/null && return 0
    sleep 0.05
  done
  echo "nothing listens on 127.0.0.1:$1" >&2; return 1
}

# port_free PORT: fail if something already listens on 127.0.0.1:PORT.
port_free() {
  ! (exec 3<>/dev/tcp/127.0.0.1/"$1") 2>/dev/null || { echo "127.0.0.1:$1 is already in use" >&2; return 1; }
}
