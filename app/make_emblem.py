#!/usr/bin/env python3
"""Draws the program's emblem, a 142 x 71 picture in the 16 standard colours, as a 4-bit BMP.

The emblem is a chip with a "T" on it, fed by a signal wave. Run it to regenerate emblem.bmp:
    python3 app/make_emblem.py app/emblem.bmp
"""
import math
import struct
import sys

WIDTH, HEIGHT = 142, 71

# The 16 colours, in the usual order: index -> (r, g, b)
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, YELLOW, CYAN, WHITE, TEAL, BLUE = 0, 4, 7, 8, 11, 14, 15, 6, 12


def draw():
    px = [[NAVY] * WIDTH for _ in range(HEIGHT)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            for x in range(max(0, x0), min(WIDTH, x1)):
                px[y][x] = colour

    # A faint grid behind everything, like a board's copper.
    for y in range(0, HEIGHT, 8):
        for x in range(0, WIDTH, 2):
            px[y][x] = BLUE
    for x in range(0, WIDTH, 8):
        for y in range(0, HEIGHT, 2):
            px[y][x] = BLUE

    # The signal: a sine wave coming in from the right, then a step into the chip.
    for x in range(78, WIDTH - 4):
        y = int(round(35 + 14 * math.sin((x - 78) / 7.0)))
        for dy in (0, 1):
            if 0 <= y + dy < HEIGHT:
                px[y + dy][x] = CYAN

    # Chip body with pins above and below.
    cx0, cy0, cx1, cy1 = 14, 14, 76, 57
    for x in range(cx0 + 4, cx1 - 3, 6):
        rect(x, cy0 - 7, x + 3, cy0, SILVER)
        rect(x, cy1, x + 3, cy1 + 7, SILVER)
    rect(cx0, cy0, cx1, cy1, BLACK)
    rect(cx0 + 1, cy0 + 1, cx1 - 1, cy0 + 2, GREY)
    rect(cx0 + 1, cy0 + 1, cx0 + 2, cy1 - 1, GREY)
    # Pin-1 mark.
    rect(cx0 + 4, cy1 - 7, cx0 + 7, cy1 - 4, GREY)

    # The letter T, with a darker shadow.
    for colour, off in ((TEAL, 2), (YELLOW, 0)):
        rect(30 + off, 21 + off, 61 + off, 27 + off, colour)
        rect(42 + off, 21 + off, 49 + off, 51 + off, colour)

    # Frame.
    rect(0, 0, WIDTH, 1, WHITE)
    rect(0, HEIGHT - 1, WIDTH, HEIGHT, GREY)
    rect(0, 0, 1, HEIGHT, WHITE)
    rect(WIDTH - 1, 0, WIDTH, HEIGHT, GREY)
    return px


def bmp_bytes(px):
    row_bytes = ((WIDTH * 4 + 31) // 32) * 4
    image = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(0, WIDTH, 2):
            hi = px[y][x]
            lo = px[y][x + 1] if x + 1 < WIDTH else 0
            row.append((hi << 4) | lo)
        row.extend(b"\0" * (row_bytes - len(row)))
        image.extend(row)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(image), 2835, 2835, 16, 16)
    return header + info + palette + bytes(image)


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "emblem.bmp", "wb") as out:
        out.write(bmp_bytes(draw()))
