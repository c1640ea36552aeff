#!/usr/bin/env python3
"""Writes a few short WAV files of simple tunes into a folder (the demo's sample music).

    make_samples.py --out DIR [--count N] [--seconds S]

Nothing is downloaded: every file is made here from sine tones. The same arguments give the same
bytes, so a second run changes nothing; an existing file is left alone.
"""

import argparse
import math
import os
import struct
import sys
import wave

RATE = 22050

# Title, folder (relative) and a tune as semitones above A3, one note per beat.
TUNES = [
    ("Morning Scale", "", [0, 2, 4, 5, 7, 9, 11, 12]),
    ("Evening Arpeggio", "", [0, 4, 7, 12, 7, 4, 0, 4]),
    ("Three Steps", "Demo Album", [0, 0, 7, 7, 9, 9, 7, 5]),
    ("Falling Thirds", "Demo Album", [12, 9, 5, 2, 10, 7, 3, 0]),
    ("Open Fifths", "Demo Album", [0, 7, 2, 9, 4, 11, 5, 12]),
    ("Slow Waltz", "", [0, 4, 7, 5, 9, 12, 7, 11]),
]


def tune_samples(notes, seconds):
    total = int(RATE * seconds)
    per_note = max(1, total // len(notes))
    frames = bytearray()
    for i in range(total):
        note = notes[min(i // per_note, len(notes) - 1)]
        frequency = 220.0 * 2 ** (note / 12)
        t = (i % per_note) / RATE
        envelope = min(1.0, t * 50) * math.exp(-3.0 * t)  # a soft attack, then a decay
        value = 0.5 * envelope * math.sin(2 * math.pi * frequency * i / RATE)
        frames += struct.pack("<h", int(value * 32767))
    return bytes(frames)


def write_sample(path, notes, seconds):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    partial = path + ".part"
    with wave.open(partial, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(tune_samples(notes, seconds))
    os.replace(partial, path)


def main(argv):
    parser = argparse.ArgumentParser(description="Write the demo's sample music.")
    parser.add_argument("--out", required=True, help="folder to write into")
    parser.add_argument("--count", type=int, default=4, help="how many files (1 to %d)" % len(TUNES))
    parser.add_argument("--seconds", type=float, default=3.0, help="length of each file (0.1 to 60)")
    args = parser.parse_args(argv)
    if not 1 <= args.count <= len(TUNES):
        parser.error("--count must be 1 to %d" % len(TUNES))
    if not 0.1 <= args.seconds <= 60:
        parser.error("--seconds must be 0.1 to 60")
    for number, (title, folder, notes) in enumerate(TUNES[: args.count], start=1):
        path = os.path.join(args.out, folder, "%02d %s.wav" % (number, title))
        if not os.path.exists(path):
            write_sample(path, notes, args.seconds)
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
