#!/usr/bin/env python3
"""Draws the program's icon (a rounded slate tile with a keyboard and a wave) as PNG files of 16 to 256
pixels in this folder. Run it again after changing the drawing: python3 resources/icon/MakeIcon.py"""
import math
import os
import struct
import zlib

SIZES = [16, 24, 32, 48, 64, 128, 256]
SUPER = 4  # samples per pixel side


def inside_rounded(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(u, v):
    """The icon's colour at (u, v) in 0..1, as (r, g, b, a) in 0..1."""
    if not inside_rounded(u, v, 0.03, 0.03, 0.97, 0.97, 0.18):
        return (0, 0, 0, 0)
    shade = 0.85 + 0.15 * (1 - v)
    colour = (0.20 * shade, 0.27 * shade, 0.31 * shade, 1)  # slate, lighter at the top
    # The wave: one period of a falling sawtooth softened by a sine, in the accent colour.
    wy = 0.36 - 0.14 * math.sin(2 * math.pi * (u - 0.12) / 0.76) * (1 if 0.12 <= u <= 0.88 else 0)
    if 0.12 <= u <= 0.88 and abs(v - wy) < 0.035:
        colour = (0.98, 0.62, 0.20, 1)
    # The keyboard: five white keys and three black ones.
    kx0, kx1, ky0, ky1 = 0.14, 0.86, 0.56, 0.86
    if kx0 <= u <= kx1 and ky0 <= v <= ky1:
        key_w = (kx1 - kx0) / 5
        k = (u - kx0) / key_w
        gap = abs(k - round(k)) * key_w < 0.008
        colour = (0.20, 0.27, 0.31, 1) if gap else (0.95, 0.95, 0.93, 1)
        for b in (1, 2, 4):
            if abs(u - (kx0 + b * key_w)) < key_w * 0.3 and v <= ky0 + (ky1 - ky0) * 0.6:
                colour = (0.10, 0.12, 0.14, 1)
    return colour


def render(size):
    rows = []
    for y in range(size):
        row = bytearray([0])
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPER):
                for sx in range(SUPER):
                    r, g, b, a = colour_at((x + (sx + 0.5) / SUPER) / size, (y + (sy + 0.5) / SUPER) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SUPER * SUPER
            alpha = acc[3] / n
            if alpha > 0:
                row += bytes(int(round(255 * min(1, c / acc[3]))) for c in acc[:3])
            else:
                row += b"\0\0\0"
            row.append(int(round(255 * alpha)))
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + \
        chunk(b"IEND", b"")


here = os.path.dirname(os.path.abspath(__file__))
for s in SIZES:
    with open(os.path.join(here, "Velmora-%d.png" % s), "wb") as f:
        f.write(png(s, render(s)))
