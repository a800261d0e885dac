#!/usr/bin/env bash
# Makes the program's own alarm sound, resources/sounds/alarm-clock-elapsed.wav: what an event
# plays when it names no sound file and the desktop's sound theme has no "alarm-clock-elapsed".
# Three bursts of four short two-tone beeps, 16-bit PCM, mono, 22050 Hz, about 3.6 s, written
# without dither so that running the script again gives the same bytes.
#   tools/make_alarm_sound.sh [OUTPUT.wav]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/resources/sounds/alarm-clock-elapsed.wav}
command -v sox >/dev/null || { echo "make_alarm_sound: sox is missing" >&2; exit 1; }
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
FORMAT=(-D -r 22050 -c 1 -b 16 -e signed-integer)

# One beep: a bright tone with its fifth above, faded in and out so it does not click.
sox -n "${FORMAT[@]}" "$TMP/beep.wav" synth 0.12 sine 1760 sine 2640 remix - fade t 0.005 0.12 0.02 vol 0.7
sox -n "${FORMAT[@]}" "$TMP/gap.wav" trim 0 0.08
sox -n "${FORMAT[@]}" "$TMP/pause.wav" trim 0 0.4
burst=()
for _ in 1 2 3 4; do burst+=("$TMP/beep.wav" "$TMP/gap.wav"); done
sox "${burst[@]}" "$TMP/pause.wav" "${FORMAT[@]}" "$TMP/burst.wav"
sox "$TMP/burst.wav" "$TMP/burst.wav" "$TMP/burst.wav" "${FORMAT[@]}" "$OUT"
soxi -D "$OUT" | awk '{ printf "make_alarm_sound: %s, %.2f s\n", "'"$OUT"'", $1 }'
