#!/usr/bin/env python3
"""Draws dist/velmarion-48.png, the bitmap twin of dist/velmarion.svg (no image library needed)."""
import math, struct, zlib, os

N, S = 48, 4  # size and supersampling
k = N / 128.0

def rrect(x, y, x0, y0, w, h, r):
    cx = min(max(x, x0 + r), x0 + w - r)
    cy = min(max(y, y0 + r), y0 + h - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x0 + w and y0 <= y <= y0 + h

def seg(x, y, a, b, w):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy) <= w / 2

def color(x, y):
    if seg(x, y, (46, 84), (58, 96), 10) or seg(x, y, (58, 96), (84, 70), 10):
        return (0xf4, 0xa2, 0x61, 255)
    for (x0, y0, w) in ((42, 34, 44), (42, 48, 44), (42, 62, 28)):
        if rrect(x, y, x0, y0, w, 6, 3):
            return (0x9f, 0xb4, 0xc8, 255)
    if rrect(x, y, 32, 20, 64, 86, 6):
        return (255, 255, 255, 255)
    if rrect(x, y, 6, 6, 116, 116, 22):
        t = (x + y) / 256
        return (int(0x1d + t * (0x2f - 0x1d)), int(0x35 + t * (0x66 - 0x35)), int(0x57 + t * (0x90 - 0x57)), 255)
    return (0, 0, 0, 0)

rows = b""
for j in range(N):
    rows += b"\0"
    for i in range(N):
        acc = [0, 0, 0, 0]
        for sj in range(S):
            for si in range(S):
                c = color((i + (si + 0.5) / S) / k, (j + (sj + 0.5) / S) / k)
                a = c[3]
                for n in range(3):
                    acc[n] += c[n] * a
                acc[3] += a
        a = acc[3]
        px = [round(acc[n] / a) if a else 0 for n in range(3)] + [round(a / (S * S))]
        rows += bytes(px)

def chunk(t, d):
    return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xffffffff)

png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", N, N, 8, 6, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "velmarion-48.png"), "wb") as f:
    f.write(png)
