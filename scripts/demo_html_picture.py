#!/usr/bin/env python3
"""Draws the picture of the demo quest's HTML page: an old oak at dusk with a note pinned to it.

Pure Python with zlib, no imaging library: writes quests/demo-html/oak.png (RGB, 8 bits a channel).
Run again after changing the drawing; the output is committed.
"""
import math
import os
import struct
import zlib

W, H = 160, 120


def pixel(x, y):
    # Sky: dusk, from violet at the top to orange near the ground.
    t = y / H
    r, g, b = int(70 + 160 * t), int(40 + 90 * t), int(110 - 40 * t)
    # Ground.
    if y > 96:
        r, g, b = 40, 70 + (x * 7 + y * 3) % 12, 30
    # Trunk, slightly wider at the foot.
    half = 9 + max(0, y - 80) // 4
    if 60 <= y <= 100 and abs(x - 80) <= half:
        r, g, b = 90 + (x * 5 + y) % 16, 60, 30
    # Crown: overlapping discs of leaves.
    for cx, cy, rad in ((80, 38, 30), (56, 50, 20), (104, 50, 20), (80, 22, 18)):
        if (x - cx) ** 2 + (y - cy) ** 2 <= rad * rad:
            shade = (x * 13 + y * 7) % 23
            r, g, b = 30 + shade, 100 + shade * 2, 40
    # The note on the trunk.
    if 74 <= x <= 86 and 70 <= y <= 84:
        r, g, b = 240, 230, 200
        if y in (73, 76, 79, 82) and 76 <= x <= 84:
            r, g, b = 80, 70, 60
    # A lantern's glow at the foot of the oak.
    d = math.hypot(x - 112, y - 100)
    if d < 14:
        k = 1 - d / 14
        r, g, b = min(255, int(r + 200 * k)), min(255, int(g + 170 * k)), min(255, int(b + 40 * k))
    return r, g, b


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "quests", "demo-html", "oak.png")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    rows = [[pixel(x, y) for x in range(W)] for y in range(H)]
    with open(out, "wb") as f:
        f.write(png(W, H, rows))
    print(out)


if __name__ == "__main__":
    main()
