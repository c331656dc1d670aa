#!/usr/bin/env python3
"""Draws the program's icon: a stopwatch whose red hand sweeps a yellow wedge.

The 32 x 32 image keeps to the 16 standard colours (plus a transparent
background) and is drawn pixel by pixel without smoothing, as a 16-colour icon
is; the larger sizes are drawn from the same shapes, smoothed. Only Python's
standard library is used.

    tools/draw-icon.py [output folder]     (default: data/icons)
"""

import math
import os
import struct
import sys
import zlib

# The 16 standard colours.
BLACK = (0, 0, 0)
MAROON = (128, 0, 0)
GREEN = (0, 128, 0)
OLIVE = (128, 128, 0)
NAVY = (0, 0, 128)
PURPLE = (128, 0, 128)
TEAL = (0, 128, 128)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
RED = (255, 0, 0)
LIME = (0, 255, 0)
YELLOW = (255, 255, 0)
BLUE = (0, 0, 255)
FUCHSIA = (255, 0, 255)
AQUA = (0, 255, 255)
WHITE = (255, 255, 255)
PALETTE = [BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
           GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE]

SIZES = [32, 48, 64, 128, 256]

# Shapes are given on a 32 x 32 grid; (x, y) is a point on it.
CX, CY = 16.0, 18.0          # centre of the dial
HAND_ANGLE = 120.0           # degrees clockwise from twelve o'clock: the hand at four


def polar(angle, radius):
    a = math.radians(angle - 90.0)
    return CX + radius * math.cos(a), CY + radius * math.sin(a)


def disc(r):
    return lambda x, y: (x - CX) ** 2 + (y - CY) ** 2 <= r * r


def box(left, top, right, bottom):
    return lambda x, y: left <= x <= right and top <= y <= bottom


def segment(p, q, width):
    (x1, y1), (x2, y2) = p, q
    dx, dy = x2 - x1, y2 - y1
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / length2))
        px, py = x1 + t * dx, y1 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def wedge(r, start, end):
    def inside(x, y):
        if (x - CX) ** 2 + (y - CY) ** 2 > r * r:
            return False
        angle = (math.degrees(math.atan2(y - CY, x - CX)) + 90.0) % 360.0
        return start <= angle <= end
    return inside


def side_button(grow):
    # A push button at one o'clock, tilted along the radius.
    (bx, by) = polar(40.0, 13.2)
    ux, uy = math.cos(math.radians(-50.0)), math.sin(math.radians(-50.0))

    def inside(x, y):
        along = (x - bx) * ux + (y - by) * uy
        across = -(x - bx) * uy + (y - by) * ux
        return abs(along) <= 1.6 + grow and abs(across) <= 1.4 + grow
    return inside


def layers():
    """The shapes from back to front, each with its colour."""
    shapes = [
        (side_button(1.0), BLACK),
        (side_button(0.0), GREY),
        (box(13.0, 1.0, 19.0, 7.0), BLACK),   # crown and stem, outlined
        (box(14.0, 2.0, 18.0, 3.9), SILVER),
        (box(15.0, 4.0, 17.0, 7.0), GREY),
        (disc(13.5), BLACK),                  # case
        (disc(12.5), NAVY),
        (disc(10.5), BLACK),
        (disc(9.8), WHITE),                   # dial
        (wedge(8.6, 0.0, HAND_ANGLE), YELLOW),  # the time that has run
    ]
    for hour in range(12):
        major = hour % 3 == 0
        shapes.append((segment(polar(hour * 30.0, 6.9 if major else 7.9),
                               polar(hour * 30.0, 9.3), 1.3 if major else 1.0),
                       BLACK if major else GREY))
    shapes += [
        (segment((CX, CY), polar(HAND_ANGLE, 8.8), 1.6), RED),
        (segment((CX, CY), polar(0.0, 5.5), 1.4), NAVY),
        (disc(1.7), BLACK),
    ]
    return shapes


def colour_at(shapes, x, y):
    colour = None
    for inside, c in shapes:
        if inside(x, y):
            colour = c
    return colour


def draw_indexed(shapes):
    """The 32 x 32 image: each pixel takes the colour at its centre."""
    rows = []
    for row in range(32):
        line = []
        for col in range(32):
            c = colour_at(shapes, col + 0.5, row + 0.5)
            line.append(len(PALETTE) if c is None else PALETTE.index(c))
        rows.append(line)
    return rows


def draw_smooth(shapes, size, samples=4):
    """A larger image: each pixel averages samples x samples points."""
    scale = 32.0 / size
    rows = []
    for row in range(size):
        line = []
        for col in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at(shapes, (col + (sx + 0.5) / samples) * scale,
                                  (row + (sy + 0.5) / samples) * scale)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            n = samples * samples
            line.append((r // a, g // a, b // a, 255 * a // n) if a else (0, 0, 0, 0))
        rows.append(line)
    return rows


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(width, height, colour_type, raw_rows, extra=b""):
    raw = b"".join(b"\x00" + row for row in raw_rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
            + extra
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def indexed_png(rows):
    # 16 colours and one more entry, fully transparent, for the background.
    plte = b"".join(bytes(c) for c in PALETTE) + bytes(3)
    trns = bytes([255] * len(PALETTE) + [0])
    extra = chunk(b"PLTE", plte) + chunk(b"tRNS", trns)
    return png(32, 32, 3, [bytes(row) for row in rows], extra)


def rgba_png(rows):
    return png(len(rows[0]), len(rows), 6,
               [b"".join(bytes(p) for p in row) for row in rows])


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data", "icons")
    os.makedirs(folder, exist_ok=True)
    shapes = layers()
    for size in SIZES:
        data = indexed_png(draw_indexed(shapes)) if size == 32 else rgba_png(
            draw_smooth(shapes, size))
        path = os.path.join(folder, "zorvu-timer-%d.png" % size)
        with open(path, "wb") as f:
            f.write(data)
        print(path)


if __name__ == "__main__":
    main()
