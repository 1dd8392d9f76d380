#!/usr/bin/env python3
"""Writes the demo quest's music and sound: two short General MIDI tunes and the chest's creak.

    scripts/demo_music.py [OUTPUT_FOLDER]     (default: quests/ beside this script)

theme.mid  - the hut's tune: a slow minor melody on a flute over a plucked bass, about 16 seconds
forest.mid - the forest's tune: a low string drone with a sparse oboe motif, about 13 seconds
chest.wav  - the chest opening: a creaking lid and a wooden knock, 22050 Hz mono, under a second

Everything is written byte by byte from the note lists below, so the output is the same on every run.
"""
import math
import os
import random
import struct
import sys
import wave

TICKS = 96  # per quarter note


def var_len(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def midi_file(tempo_bpm, programs, voices):
    """programs: {channel: GM program}; voices: [(channel, [(note or None, quarters, velocity)])]."""
    events = []  # (tick, order, bytes): note-offs sort before note-ons at the same tick
    for channel, program in programs.items():
        events.append((0, 0, bytes([0xC0 | channel, program])))
    for channel, notes in voices:
        tick = 0
        for note, quarters, velocity in notes:
            length = int(quarters * TICKS)
            if note is not None:
                events.append((tick, 2, bytes([0x90 | channel, note, velocity])))
                events.append((tick + length - 4, 1, bytes([0x80 | channel, note, 64])))
            tick += length
    events.sort(key=lambda e: (e[0], e[1]))
    track = bytearray()
    track += b"\x00\xFF\x51\x03" + struct.pack(">I", 60000000 // tempo_bpm)[1:]
    last = 0
    for tick, _, data in events:
        track += var_len(tick - last) + data
        last = tick
    track += b"\x00\xFF\x2F\x00"
    return b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS) + b"MTrk" + struct.pack(">I", len(track)) + track


# Note numbers: A3 = 57, C4 = 60, E4 = 64, A4 = 69.
A3, B3, C4, D4, E4, F4, G4, A4, B4, C5, D5, E5 = 57, 59, 60, 62, 64, 65, 67, 69, 71, 72, 74, 76
A2, C3, D3, E3, F3, G3 = 45, 48, 50, 52, 53, 55


def theme():
    melody = [(E4, 1, 80), (A4, 1.5, 90), (B4, 0.5, 80), (C5, 1, 90), (B4, 1, 80), (A4, 2, 85), (E4, 2, 75),
              (F4, 1, 80), (A4, 1.5, 85), (G4, 0.5, 75), (F4, 1, 80), (E4, 1, 75), (D4, 2, 80), (E4, 2, 70),
              (C5, 1, 90), (B4, 1, 85), (A4, 1, 85), (G4, 1, 80), (A4, 1.5, 90), (B4, 0.5, 80), (C5, 2, 90),
              (D5, 1, 90), (C5, 1, 85), (B4, 1, 80), (G4, 1, 75), (A4, 4, 85)]
    bass = []
    for root in [A2, A2, D3, A2, F3 - 12, G3 - 12, A2, E3 - 12]:
        bass += [(root, 1, 60), (root + 7, 1, 50), (root + 12, 1, 55), (root + 7, 1, 50)]
    return midi_file(84, {0: 73, 1: 24}, [(0, melody), (1, bass)])


def forest():
    drone = [(A2, 8, 50), (F3 - 12, 8, 50), (D3, 8, 50), (E3, 8, 50)]
    fifth = [(E3, 8, 40), (C3 + 12, 8, 40), (A3, 8, 40), (B3, 8, 40)]
    motif = [(None, 2, 0), (E4, 1, 70), (D4, 1, 65), (C4, 2, 70), (None, 2, 0),
             (None, 2, 0), (A3, 1, 65), (C4, 1, 70), (D4, 3, 70), (None, 1, 0),
             (None, 2, 0), (F4, 1, 70), (E4, 1, 65), (D4, 2, 70), (None, 2, 0),
             (E4, 1.5, 70), (D4, 0.5, 65), (B3, 2, 65), (E4, 4, 60)]
    return midi_file(100, {0: 48, 1: 48, 2: 68}, [(0, drone), (1, fifth), (2, motif)])


def chest_wav(path):
    rate = 22050
    rng = random.Random(1251)
    samples = []
    # The creak: a rough, gliding tone made of short pulses, falling from 420 to 260 Hz.
    creak = int(rate * 0.55)
    phase = 0.0
    for i in range(creak):
        t = i / creak
        freq = 420 - 160 * t + 25 * math.sin(2 * math.pi * 7 * t)
        phase += freq / rate
        pulse = 1.0 if (phase % 1.0) < 0.18 else -0.25
        envelope = min(1.0, i / (rate * 0.03)) * (1 - 0.6 * t)
        samples.append(0.35 * envelope * pulse + 0.04 * rng.uniform(-1, 1) * envelope)
    samples += [0.0] * int(rate * 0.06)
    # The lid lands: a low thump with a short woody ring.
    knock = int(rate * 0.25)
    for i in range(knock):
        t = i / rate
        decay = math.exp(-t * 28)
        samples.append(decay * (0.7 * math.sin(2 * math.pi * 95 * t) + 0.25 * math.sin(2 * math.pi * 310 * t)
                                + 0.15 * rng.uniform(-1, 1) * math.exp(-t * 90)))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 30000)) for s in samples))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                                             "quests")
    with open(os.path.join(out, "theme.mid"), "wb") as f:
        f.write(theme())
    with open(os.path.join(out, "forest.mid"), "wb") as f:
        f.write(forest())
    chest_wav(os.path.join(out, "chest.wav"))


if __name__ == "__main__":
    main()
