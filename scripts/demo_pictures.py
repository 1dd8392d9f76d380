#!/usr/bin/env python3
"""Draws the demo quest's picture (a forest seen through the hut's window) and writes it as a small PNG.

Pure Python with zlib, so the picture is ours and needs nothing installed:
    python3 scripts/demo_pictures.py [OUTPUT]   (default quests/pictures/forest.png)
"""
import os
import struct
import sys
import zlib

W, H = 120, 80


def draw():
    px = [[(0, 0, 0)] * W for _ in range(H)]
    for y in range(H):
        for x in range(W):
            if y < 46:  # evening sky, lighter towards the horizon
                t = y / 46
                px[y][x] = (int(70 + 150 * t), int(90 + 110 * t), int(160 + 60 * t))
            else:  # meadow
                px[y][x] = (60, 120 + (x * 7 + y * 3) % 20, 50)
    # the moon
    for y in range(6, 18):
        for x in range(92, 104):
            if (x - 98) ** 2 + (y - 12) ** 2 <= 30:
                px[y][x] = (245, 240, 200)
    # fir trees: stacked triangles on brown trunks
    for base, height in ((14, 30), (34, 38), (58, 26), (80, 34), (104, 28)):
        top = 50 - height
        for y in range(top, 50):
            half = (y - top) * 9 // height + 1
            for x in range(base - half, base + half + 1):
                if 0 <= x < W:
                    shade = 30 + (y - top) * 40 // height
                    px[y][x] = (20, 60 + shade, 35)
        for y in range(50, 55):
            for x in range(base - 1, base + 2):
                px[y][x] = (90, 60, 30)
    # the path to the forest
    for y in range(55, H):
        half = (y - 55) // 2 + 2
        for x in range(60 - half, 60 + half):
            px[y][x] = (150, 120, 80)
    return px


def png(px):
    raw = b"".join(b"\x00" + bytes(c for p in row for c in p) for row in px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "quests", "pictures", "forest.png")
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out, "wb") as f:
        f.write(png(draw()))


if __name__ == "__main__":
    main()
