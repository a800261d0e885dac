#!/usr/bin/python3
"""Counts the separate bursts of one frequency in a mono 16-bit WAV recording.

  count_tones.py FILE.wav HERTZ

Prints the number of bursts: times the strength of HERTZ (Goertzel, 20 ms frames) rises above
half of its highest level after having been below a tenth of it for at least 100 ms. Other
frequencies sounding at the same time (another sound mixed in) do not count.
"""
import math
import struct
import sys
import wave


def strengths(samples, rate, hertz, frame):
    coeff = 2 * math.cos(2 * math.pi * hertz / rate)
    out = []
    for start in range(0, len(samples) - frame + 1, frame):
        s1 = s2 = 0.0
        for x in samples[start:start + frame]:
            s1, s2 = x + coeff * s1 - s2, s1
        out.append(math.sqrt(max(s1 * s1 + s2 * s2 - coeff * s1 * s2, 0.0)))
    return out


def main(path, hertz):
    with wave.open(path, "rb") as w:
        rate, width, channels = w.getframerate(), w.getsampwidth(), w.getnchannels()
        data = w.readframes(w.getnframes())
    if width != 2 or channels != 1:
        sys.exit("need 16-bit mono")
    samples = struct.unpack("<%dh" % (len(data) // 2), data)
    frame = rate // 50
    levels = strengths(samples, rate, float(hertz), frame)
    top = max(levels) if levels else 0.0
    if top <= 0:
        print(0)
        return
    quiet_frames_needed = 5  # 100 ms
    bursts, quiet, on = 0, quiet_frames_needed, False
    for level in levels:
        if on:
            if level < top / 10:
                on, quiet = False, 1
        else:
            if level < top / 10:
                quiet += 1
            elif level > top / 2 and quiet >= quiet_frames_needed:
                on, bursts = True, bursts + 1
    print(bursts)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
