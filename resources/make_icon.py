#!/usr/bin/env python3
"""Draws the launcher's icon, a compact disc, and writes it as pellomar.ico.

Two 16-colour images in the standard Windows palette, 32x32 first and 16x16
second (the resource compiler numbers them 1 and 2 in that order), each with
its transparency mask. Run it again after changing the drawing; the output is
committed so that building needs no Python.
"""
import math
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
GRAY, SILVER, YELLOW, FUCHSIA, AQUA, WHITE = 8, 7, 11, 13, 14, 15
TRANSPARENT = None


def disc_pixel(size, x, y):
    """Colour index of one pixel of the disc, or TRANSPARENT."""
    centre = (size - 1) / 2.0
    dx, dy = x - centre, y - centre
    d = math.hypot(dx, dy)
    outer = size / 2.0 - 0.3
    hole = size * 0.09
    hub = size * 0.22
    if d > outer or d < hole:
        return TRANSPARENT
    if d > outer - 1.1 or d < hole + 1.0:
        return GRAY
    if d < hub:
        return SILVER
    # Rainbow sheen in two opposite wedges, a white glint across them.
    angle = math.degrees(math.atan2(-dy, dx)) % 180.0
    if 25 <= angle < 40:
        return AQUA
    if 40 <= angle < 55:
        return FUCHSIA
    if 55 <= angle < 70:
        return YELLOW
    if 110 <= angle < 125:
        return WHITE
    return SILVER


def image(size):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and 1-bit mask rows."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0,
                         0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0)
                       for (r, g, b) in PALETTE)
    colour_rows, mask_rows = [], []
    for y in range(size - 1, -1, -1):  # bottom-up
        pixels = [disc_pixel(size, x, y) for x in range(size)]
        nibbles = [0 if p is TRANSPARENT else p for p in pixels]
        row = bytes((nibbles[i] << 4) | nibbles[i + 1]
                    for i in range(0, size, 2))
        colour_rows.append(row + b"\0" * (-len(row) % 4))
        bits = 0
        mask = bytearray()
        for i, p in enumerate(pixels):
            bits = (bits << 1) | (1 if p is TRANSPARENT else 0)
            if i % 8 == 7:
                mask.append(bits)
                bits = 0
        mask_rows.append(bytes(mask) + b"\0" * (-len(mask) % 4))
    return header + palette + b"".join(colour_rows) + b"".join(mask_rows)


def icon(sizes):
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data),
                           offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "pellomar.ico"
    with open(target, "wb") as f:
        f.write(icon([32, 16]))
