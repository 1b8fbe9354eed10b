#!/usr/bin/env python3
"""Writes games/world_demo/data/sprites/world.png, the world demo's one
texture, 64 x 32: a shaded ball (0, 0, 16, 16), a soft shadow (16, 0, 16, 8),
a crate (32, 0, 16, 16), a round glow (48, 0, 16, 16), a spark (16, 8, 4, 4)
and a floor tile (0, 16, 32, 16)."""
import math
import os
import struct
import zlib

WIDTH, HEIGHT = 64, 32


def ball(x, y):
    dx, dy = x - 7.5, y - 7.5
    r = math.hypot(dx, dy)
    if r > 7.5:
        return (0, 0, 0, 0)
    light = max(0.0, 1.0 - math.hypot(dx + 3, dy + 3) / 12.0)
    v = int(150 + 105 * light)
    return (v, v, v, 255)


def shadow(x, y):
    dx, dy = (x - 7.5) / 8.0, (y - 3.5) / 4.0
    d = dx * dx + dy * dy
    return (0, 0, 0, int(150 * max(0.0, 1.0 - d)))


def crate(x, y):
    edge = x in (0, 15) or y in (0, 15) or x == y or x == 15 - y
    return (120, 80, 40, 255) if edge else (180, 130, 70, 255)


def glow(x, y):
    r = math.hypot(x - 7.5, y - 7.5) / 8.0
    v = int(255 * max(0.0, 1.0 - r))
    return (v, v, int(v * 0.8), 255)


def spark(x, y):
    return (255, 230, 120, 255)


def tile(x, y):
    checker = ((x // 8) + (y // 8)) % 2
    v = 95 if checker else 110
    return (v, v + 10, v - 10, 255)


def pixel(x, y):
    if y < 16 and x < 16:
        return ball(x, y)
    if y < 8 and x < 32:
        return shadow(x - 16, y)
    if 8 <= y < 12 and 16 <= x < 20:
        return spark(x - 16, y - 8)
    if y < 16 and 32 <= x < 48:
        return crate(x - 32, y)
    if y < 16 and x >= 48:
        return glow(x - 48, y)
    if y >= 16 and x < 32:
        return tile(x, y - 16)
    return (0, 0, 0, 0)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def main():
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(WIDTH)) for y in range(HEIGHT))
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "..", "games", "world_demo", "data", "sprites", "world.png")
    with open(out, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
