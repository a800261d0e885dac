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

# free_port: a port on 127.0.0.1 that nothing listens on now (the system picks it), for servers
# that cannot be told to pick their own and say which.
free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
