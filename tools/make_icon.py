#!/usr/bin/env python3
"""Draws Orvane's icon, a speed camera inside a red road-sign ring, and writes
resources/orvane.ico with a 32x32 and a 16x16 image at 24 bits per pixel.

Run it again after changing the drawing; the .ico is committed so that the build needs no
Python. Only the standard library is used."""

import math
import struct
import sys
from pathlib import Path

RED = (206, 24, 30)
WHITE = (255, 255, 255)
BODY = (40, 44, 52)
LENS = (120, 170, 230)
SAMPLES = 4  # per axis, for smooth edges on the colour image


def shade(u, v):
    """Colour at (u, v) in a unit square (0..1, y down), or None outside the sign."""
    dx, dy = u - 0.5, v - 0.5
    r = math.hypot(dx, dy)
    if r > 0.49:
        return None
    if r > 0.37:
        return RED
    # The camera: a box with a lens, a small viewfinder bump on top.
    if 0.24 <= u <= 0.76 and 0.38 <= v <= 0.66:
        if math.hypot(u - 0.5, v - 0.52) < 0.1:
            return LENS if math.hypot(u - 0.5, v - 0.52) < 0.065 else BODY
        return BODY
    if 0.30 <= u <= 0.44 and 0.31 <= v <= 0.38:
        return BODY
    return WHITE


def render(size):
    """Rows of pixels top to bottom: (r, g, b) tuples, or None where transparent."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shade((x + (sx + 0.5) / SAMPLES) / size, (y + (sy + 0.5) / SAMPLES) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits * 2 < SAMPLES * SAMPLES:
                row.append(None)
            else:
                row.append(tuple(round(a / hits) for a in acc))
        rows.append(row)
    return rows


def dib(size):
    """A BITMAPINFOHEADER, the 24-bit colour image and the 1-bit mask, bottom-up."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    color_pad = (-size * 3) % 4
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        for px in row:
            b = px or (0, 0, 0)
            colour += bytes((b[2], b[1], b[0]))
        colour += bytes(color_pad)
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "orvane.ico"
    images = [dib(32), dib(16)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    out.write_bytes(data)
    print(f"wrote {out} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
