#!/usr/bin/env python3
"""Writes the two MIDI files the CPU comparison plays (type 0, 480 ticks a beat, 120 BPM).

chords16.mid  -- 72 s of sixteen-note chords, each held two seconds and struck again at
                 once: sixteen voices sound the whole time.
piano.mid     -- about three minutes that play like a pianist: a broken-chord left hand
                 under the sustain of a pedal (notes held one to two bars, overlapping),
                 a right-hand melody in octaves now and then; 6 to 16 notes sound at once.
"""
import random
import struct
import sys

TICKS = 480  # per beat; at 120 BPM a beat is half a second


def track_bytes(events):
    """events: (tick, status, data1, data2); sorted, note-offs before note-ons at one tick."""
    out = bytearray()
    now = 0
    for tick, status, a, b in sorted(events, key=lambda e: (e[0], e[1] & 0xF0 == 0x90)):
        delta = tick - now
        now = tick
        var = [delta & 0x7F]
        delta >>= 7
        while delta:
            var.insert(0, 0x80 | (delta & 0x7F))
            delta >>= 7
        out += bytes(var) + bytes([status, a, b])
    out += b"\x00\xff\x2f\x00"
    return out


def write(path, notes):
    """notes: (start tick, end tick, key, velocity)."""
    events = []
    for start, end, key, velocity in notes:
        events.append((start, 0x90, key, velocity))
        events.append((end, 0x80, key, 0))
    tempo = b"\x00\xff\x51\x03\x07\xa1\x20"  # 500000 us a beat
    body = tempo + track_bytes(events)
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS))
        f.write(b"MTrk" + struct.pack(">I", len(body)) + body)


def chords16():
    notes = []
    roots = [36, 41, 43, 38, 45, 40]
    for bar in range(36):  # 36 chords of 2 s
        start = bar * 4 * TICKS
        root = roots[bar % len(roots)]
        for v in range(16):
            key = root + [0, 7, 12, 16, 19, 24, 28, 31, 36, 40, 43, 48, 52, 55, 60, 64][v]
            notes.append((start, start + 4 * TICKS - 1, min(key, 120), 90))
    return notes


def piano(seed=7):
    rng = random.Random(seed)
    notes = []
    progression = [(48, [0, 4, 7]), (45, [0, 3, 7]), (41, [0, 4, 7]), (43, [0, 4, 7, 10]),
                   (48, [0, 4, 7]), (40, [0, 3, 7]), (41, [0, 4, 9]), (43, [0, 5, 7])]
    bars = 90  # 4 beats a bar at 120 BPM: 180 s
    melody = 72
    for bar in range(bars):
        root, chord = progression[bar % len(progression)]
        start = bar * 4 * TICKS
        # Left hand: eight broken-chord eighths; the pedal holds each until the bar after next.
        pattern = [0, 2, 1, 2, 0, 2, 1, 2]
        for i, step in enumerate(pattern):
            layer = 12 if i >= 4 and rng.random() < 0.5 else 0
            key = root + chord[step % len(chord)] + layer
            on = start + i * TICKS // 2 + rng.randint(0, 12)
            off = start + 4 * TICKS + rng.randint(TICKS, 4 * TICKS)
            notes.append((on, off, key, rng.randint(50, 80)))
        # Right hand: a melody in quarters and halves over the chord, legato with overlaps.
        t = start
        while t < start + 4 * TICKS:
            length = rng.choice([TICKS, TICKS, TICKS // 2, 2 * TICKS])
            candidates = [root + 24 + c + o for c in chord for o in (0, 12) if 60 <= root + 24 + c + o <= 88]
            melody = min(candidates, key=lambda k: abs(k - melody) + rng.random() * 5)
            velocity = rng.randint(70, 105)
            notes.append((t, t + length + TICKS // 4, melody, velocity))
            if bar % 8 >= 6:  # octaves in the climaxes
                notes.append((t, t + length + TICKS // 4, melody - 12, velocity - 10))
            t += length
    return notes


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    write(folder + "/chords16.mid", chords16())
    write(folder + "/piano.mid", piano())
