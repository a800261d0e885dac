#!/usr/bin/env bash
# Makes the 28 spoken-time recordings the chimes put together: "ZARWTIS" (the opening words),
# "ZARW0".."ZARW23" (the hour of the 24-hour clock) and "ZARW15M", "ZARW30M", "ZARW45M" (the
# minutes), as PCM WAV, mono, 11025 Hz, 8 bits unsigned, each under MAX_SECONDS. They are spoken
# by espeak-ng, trimmed of silence at both ends, sped up when still too long, given a little
# quiet at both ends, and written without dither so that running the script again gives the same
# bytes.
#
# The quiet at the end matters: the sound output stops a stream about 0.12 s before the end of its
# data (measured on the PulseAudio null sink), so without it the last syllable of every word is
# lost. The word that follows in the queue starts at that moment, so the quiet adds no pause.
#   tools/make_recordings.sh [OUTPUT_DIR]      (default: resources/sounds)
# Env: VOICE (en-gb), SPEED (words per minute, 170), MAX_SECONDS (0.85), LEAD and TAIL (seconds
# of quiet before and after the words, 0.03 and 0.16).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/resources/sounds}
VOICE=${VOICE:-en-gb}
SPEED=${SPEED:-170}
MAX_SECONDS=${MAX_SECONDS:-0.85}
LEAD=${LEAD:-0.03}
TAIL=${TAIL:-0.16}
for tool in espeak-ng sox soxi; do
    command -v "$tool" >/dev/null || { echo "make_recordings: $tool is missing" >&2; exit 1; }
done
mkdir -p "$OUT"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

HOURS=(zero one two three four five six seven eight nine ten eleven twelve thirteen fourteen
    fifteen sixteen seventeen eighteen nineteen twenty twenty-one twenty-two twenty-three)
declare -A WORDS=([ZARWTIS]="It is" [ZARW15M]="fifteen" [ZARW30M]="thirty" [ZARW45M]="forty-five")
for h in "${!HOURS[@]}"; do WORDS[ZARW$h]=${HOURS[$h]}; done

# The final format; no dither, so the output does not change from one run to the next.
FORMAT=(-D -r 11025 -c 1 -b 8 -e unsigned-integer)
# Cuts silence (below 1% for 20 ms) off both ends.
TRIM=(silence 1 0.02 1% reverse silence 1 0.02 1% reverse)

for name in $(printf '%s\n' "${!WORDS[@]}" | sort -V); do
    espeak-ng -v "$VOICE" -s "$SPEED" -w "$TMP/raw.wav" "${WORDS[$name]}"
    sox -D "$TMP/raw.wav" -b 16 "$TMP/trim.wav" "${TRIM[@]}" norm -1
    length=$(soxi -D "$TMP/trim.wav")
    # tempo keeps the pitch; only words that are still too long are sped up, just enough.
    factor=$(awk -v l="$length" -v m="$MAX_SECONDS" -v a="$LEAD" -v b="$TAIL" \
        'BEGIN { f = l / (m * 0.97 - a - b); print (f > 1 ? f : 1) }')
    speed=()
    [ "$factor" = 1 ] || speed=(tempo -s "$factor")
    sox "$TMP/trim.wav" "${FORMAT[@]}" "$OUT/$name.wav" "${speed[@]}" pad "$LEAD" "$TAIL"
    printf '%-8s %-13s %5.3f s\n' "$name" "\"${WORDS[$name]}\"" "$(soxi -D "$OUT/$name.wav")"
done
