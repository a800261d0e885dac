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

# free_ports N: the first of N consecutive ports on 127.0.0.1 that are all free now (TCP and UDP;
# the system picks the first), for servers that cannot be told to pick their own and say which,
# and for a rig that serves on a port and the few after it.
free_ports() {
  /usr/bin/python3 - "$1" <<'PY'
import socket, sys
n = int(sys.argv[1])
while True:
    s = socket.socket(); s.bind(("127.0.0.1", 0)); base = s.getsockname()[1]; s.close()
    if base + n > 65535:
        continue
    held = []
    try:
        for p in range(base, base + n):
            for kind in (socket.SOCK_STREAM, socket.SOCK_DGRAM):
                t = socket.socket(socket.AF_INET, kind); t.bind(("127.0.0.1", p)); held.append(t)
    except OSError:
        continue
    finally:
        for t in held: t.close()
    print(base)
    break
PY
}

# free_port: one such port.
free_port() { free_ports 1; }
