#!/bin/bash
# Sound rig: a private PulseAudio whose only, default sink is the null sink "nul", reached over
# a unix socket; a parec started with it records nul.monitor continuously (16 kHz mono s16le)
# into $RIG_DIR/sound/monitor.raw, so a test measures any time window without warm-up (a freshly
# started parec delivers its first data only after about a second).
#   sound.sh start | stop | env
#   sound.sh mark                 print the current position (bytes) in the recording
#   sound.sh since MARK [F.wav]   "rms=<0..1> peak=<0..1>" of everything recorded since MARK
#   sound.sh record SECONDS [F.wav]               mark, wait SECONDS, since
#   sound.sh expect sound|silence SECONDS [THR]   record; exit 0 if rms > THR (sound) or
#                                                 rms <= THR (silence); THR default 0.001
# Env: RIG_DIR (${TMPDIR:-/tmp}/zarvo-rigs). Clients (the program, paplay) need the printed
# XDG_RUNTIME_DIR and PULSE_SERVER. Make test sounds 16-bit (sox -n -b 16 ...): QSoundEffect
# cannot decode 32-bit PCM, sox's default.
. "$(dirname "$(readlink -f "$0")")/common.sh"
D=$RIG_DIR/sound
export XDG_RUNTIME_DIR=$D/xdg PULSE_SERVER=unix:$D/xdg/pulse/native HOME=$D/home
RAW=(-t raw -r 16000 -e signed -b 16 -c 1)

mark() { echo $(($(stat -c %s "$D/monitor.raw") / 2 * 2)); }
since() {  # since MARK [FILE.wav]
  sleep 0.2   # recorder latency: let the last 50 ms reach the file
  local w=$D/window.$$.raw
  tail -c +$(($1 + 1)) "$D/monitor.raw" >"$w"
  [ -z "${2:-}" ] || sox "${RAW[@]}" "$w" "$2"
  sox "${RAW[@]}" "$w" -n stat 2>&1 |
    awk '/^RMS +amplitude/ {r=$3} /^Maximum amplitude/ {p=$3} END {printf "rms=%s peak=%s\n", r, p}'
  rm -f "$w"
}

case ${1:-start} in
start)
  need pulseaudio pulseaudio-utils sox
  "$0" stop
  mkdir -p "$D/home" && mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
  # -n: no default configuration, so no network or device modules get loaded.
  setsid pulseaudio --daemonize=no --exit-idle-time=-1 --use-pid-file=no -n \
    --load="module-null-sink sink_name=nul" \
    --load="module-native-protocol-unix auth-anonymous=1" >"$D/pulse.log" 2>&1 </dev/null &
  echo $! >"$D/pid"
  until_ok pactl info
  pactl set-default-sink nul
  setsid parec -d nul.monitor --format=s16le --rate=16000 --channels=1 --latency-msec=50 \
    >"$D/monitor.raw" 2>"$D/parec.log" </dev/null &
  echo $! >"$D/rec.pid"
  until_ok test -s "$D/monitor.raw"
  "$0" env
  ;;
env) echo "export XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR PULSE_SERVER=$PULSE_SERVER" ;;
mark) mark ;;
since) since "$2" "${3:-}" ;;
record) m=$(mark); sleep "$2"; since "$m" "${3:-}" ;;
expect)
  m=$(mark); sleep "$3"; out=$(since "$m"); echo "$out"
  rms=${out#rms=}; rms=${rms%% *}
  awk -v r="$rms" -v t="${4:-0.001}" -v w="$2" 'BEGIN {exit !(w == "sound" ? r > t : r <= t)}' ;;
stop) stop_pidfile "$D/rec.pid"; stop_pidfile "$D/pid"; rm -f "$D/monitor.raw" "$D"/window.*.raw ;;
*) echo "usage: $0 start|stop|env|mark|since MARK [F.wav]|record SECONDS [F.wav]|expect sound|silence SECONDS [THR]" >&2; exit 2 ;;
esac
