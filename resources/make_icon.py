#!/usr/bin/env python3
"""Writes hostline.ico: one 48x48 image with a 256-colour palette, drawn pixel by pixel.

The picture is a road that forks into two coloured lines, the program's one idea. The ICO and
BMP structures are written with struct, so nothing beyond the standard library is needed.
Run it again after changing the drawing: python3 resources/make_icon.py
"""
import math
import os
import struct

SIZE = 48

# Palette index -> (red, green, blue). Index 0 is also what transparent pixels carry.
PALETTE = {
    0: (0, 0, 0),
    1: (255, 255, 255),   # disc
    2: (90, 90, 90),      # shared trunk
    3: (30, 110, 220),    # line 1, blue
    4: (30, 160, 70),     # line 2, green
    5: (150, 150, 150),   # disc rim
}


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def colour_at(x, y):
    """Palette index of the pixel whose top-left corner is (x, y), or None for transparent."""
    cx, cy = x + 0.5, y + 0.5
    radius = math.hypot(cx - 24, cy - 24)
    if radius > 23.5:
        return None
    if distance_to_segment(cx, cy, 8, 24, 22, 24) <= 3.2:
        return 2
    if distance_to_segment(cx, cy, 22, 24, 40, 12) <= 3.2:
        return 3
    if distance_to_segment(cx, cy, 22, 24, 40, 36) <= 3.2:
        return 4
    return 5 if radius > 21.5 else 1


def icon_bytes():
    rows = [[colour_at(x, y) for x in range(SIZE)] for y in range(SIZE)]
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b"".join(struct.pack("<BBBB", *reversed(PALETTE.get(i, (0, 0, 0))), 0) for i in range(256))
    # Both bitmaps are stored bottom row first; each row is padded to four bytes.
    colour = b"".join(bytes(c or 0 for c in row) for row in reversed(rows))
    mask_row_bytes = ((SIZE + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = 0
        for x, c in enumerate(row):
            if c is None:
                bits |= 1 << (mask_row_bytes * 8 - 1 - x)
        mask += bits.to_bytes(mask_row_bytes, "big")
    image = header + palette + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "hostline.ico")
    with open(target, "wb") as out:
        out.write(icon_bytes())
    print(target)
