#!/usr/bin/env python3
"""Draws the program's icon: the emblem's chip with its "T" and the signal wave (see
app/make_emblem.py), fitted into a square, as an SVG and as PNGs for the hicolor theme.

The pictures are kept in the tree so that the build needs no Python. Run it to regenerate them:
    python3 dist/icons/make_icon.py dist/icons
"""
import math
import os
import struct
import sys
import zlib

NAME = "org.torvel.Torvel"
SIZES = (16, 24, 32, 48, 64, 128, 256)
UNITS = 64  # the drawing's own grid; every size is a scale of it

# The emblem's colours, from its 16-colour palette.
BLACK = (0, 0, 0)
NAVY = (0, 0, 128)
TEAL = (0, 128, 128)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
BLUE = (0, 0, 255)
YELLOW = (255, 255, 0)
CYAN = (0, 255, 255)
WHITE = (255, 255, 255)

WAVE_X0, WAVE_X1, WAVE_WIDTH = 43.0, 60.0, 2.2


def wave_y(x):
    return 32 + 9 * math.sin((x - WAVE_X0) / 3.0)


def wave_slope(x):
    return 3.0 * math.cos((x - WAVE_X0) / 3.0)


def shapes(grid):
    """The picture as rectangles (x0, y0, x1, y1, colour), back to front; None marks the wave."""
    out = [(2, 2, 62, 62, NAVY)]
    # A faint grid behind everything, like a board's copper; it only blurs a small icon.
    if grid:
        for i in range(10, 62, 8):
            out.append((2, i, 62, i + 0.6, BLUE))
            out.append((i, 2, i + 0.6, 62, BLUE))
    out.append(None)
    # Chip body with pins above and below, lit from the top left, and its pin-1 mark.
    for x in range(9, 40, 7):
        out.append((x, 12, x + 3, 18, SILVER))
        out.append((x, 46, x + 3, 52, SILVER))
    out += [(6, 18, 42, 46, BLACK), (7, 19, 41, 20, GREY), (7, 19, 8, 45, GREY),
            (9, 40, 12, 43, GREY)]
    # The letter T over its darker shadow.
    for colour, off in ((TEAL, 1.5), (YELLOW, 0)):
        out.append((13 + off, 22 + off, 35 + off, 27 + off, colour))
        out.append((21.5 + off, 22 + off, 26.5 + off, 42 + off, colour))
    # The frame: light top and left, dark bottom and right.
    out += [(2, 2, 62, 3, WHITE), (2, 2, 3, 62, WHITE), (2, 61, 62, 62, GREY),
            (61, 2, 62, 62, GREY)]
    return out


def svg():
    def hex_colour(c):
        return "#%02x%02x%02x" % c

    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
             % (UNITS, UNITS, UNITS, UNITS)]
    for shape in shapes(grid=True):
        if shape is None:
            points = " ".join("%.2f,%.2f" % (x, wave_y(x))
                              for x in frange(WAVE_X0, WAVE_X1, 0.5))
            lines.append('  <polyline points="%s" fill="none" stroke="%s" stroke-width="%.1f"/>'
                         % (points, hex_colour(CYAN), WAVE_WIDTH))
            continue
        x0, y0, x1, y1, colour = shape
        lines.append('  <rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>'
                     % (x0, y0, x1 - x0, y1 - y0, hex_colour(colour)))
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def frange(start, stop, step):
    n = int(round((stop - start) / step))
    return [start + i * step for i in range(n + 1)]


def raster(size):
    """RGBA rows: each shape is laid over the ones below with the share of each pixel it covers."""
    scale = size / UNITS
    px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(size)] for _ in range(size)]

    def blend(x, y, colour, cover):
        if cover <= 0:
            return
        r, g, b, a = px[y][x]
        c = [v / 255.0 for v in colour]
        na = cover + a * (1 - cover)
        mix = [(c[i] * cover + (r, g, b)[i] * a * (1 - cover)) / na for i in range(3)]
        px[y][x] = (mix[0], mix[1], mix[2], na)

    def overlap(a0, a1, b0, b1):
        return max(0.0, min(a1, b1) - max(a0, b0))

    for shape in shapes(grid=size >= 64):
        if shape is None:
            paint_wave(size, scale, blend)
            continue
        x0, y0, x1, y1 = (v * scale for v in shape[:4])
        colour = shape[4]
        for y in range(int(y0), min(size, int(math.ceil(y1)))):
            for x in range(int(x0), min(size, int(math.ceil(x1)))):
                blend(x, y, colour, overlap(x, x + 1, x0, x1) * overlap(y, y + 1, y0, y1))
    return px


def paint_wave(size, scale, blend):
    n = 4  # samples a side in each pixel
    half = WAVE_WIDTH / 2
    for y in range(int((32 - 9 - half) * scale), int(math.ceil((32 + 9 + half) * scale)) + 1):
        for x in range(int(WAVE_X0 * scale), int(math.ceil(WAVE_X1 * scale)) + 1):
            if not (0 <= x < size and 0 <= y < size):
                continue
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    ux = (x + (sx + 0.5) / n) / scale
                    uy = (y + (sy + 0.5) / n) / scale
                    if not WAVE_X0 <= ux <= WAVE_X1:
                        continue
                    # The distance across the curve, near enough for a smooth stroke.
                    if abs(uy - wave_y(ux)) / math.hypot(1, wave_slope(ux)) <= half:
                        hits += 1
            blend(x, y, CYAN, hits / (n * n))


def png(px):
    size = len(px)
    rows = b"".join(b"\0" + bytes(int(round(v * 255)) for p in row
                                  for v in (p[0], p[1], p[2], p[3])) for row in px)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(os.path.join(out, NAME + ".svg"), "w") as f:
        f.write(svg())
    for size in SIZES:
        with open(os.path.join(out, "%s-%d.png" % (NAME, size)), "wb") as f:
            f.write(png(raster(size)))
