#!/usr/bin/env python3
"""Draws the notifier's icon -- a blue rounded square with a white arrow
pointing down ("an update is ready") -- and writes it as a Windows .ico file
with 32x32 and 16x16 entries, each a 32-bit bitmap with alpha and an AND
mask. Standard library only; shapes are sampled 4x4 per pixel for smooth
edges.

    resources/icons/make-icon.py [output]   (default: notifier.ico beside this script)
"""
import os
import struct
import sys

BLUE = (0x1E, 0x6F, 0xD9)
WHITE = (0xFF, 0xFF, 0xFF)
SAMPLES = 4


def inside_rounded_square(x, y, radius):
    """(x, y) in the unit square; corners rounded with radius."""
    if not (0.0 <= x <= 1.0 and 0.0 <= y <= 1.0):
        return False
    cx = min(max(x, radius), 1.0 - radius)
    cy = min(max(y, radius), 1.0 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_arrow(x, y):
    """A downward arrow: a shaft over a triangular head, centred."""
    shaft = 0.41 <= x <= 0.59 and 0.18 <= y <= 0.55
    head = 0.50 <= y <= 0.80 and abs(x - 0.5) <= (0.80 - y) * (0.30 / 0.30)
    return shaft or head


def render(size):
    """Rows top to bottom of (r, g, b, a) tuples."""
    margin = 1.0 / size  # one pixel of air around the square
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            square = arrow = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    u = (x - margin) / (1.0 - 2 * margin)
                    v = (y - margin) / (1.0 - 2 * margin)
                    if inside_rounded_square(u, v, 0.2):
                        square += 1
                        if inside_arrow(u, v):
                            arrow += 1
            n = SAMPLES * SAMPLES
            alpha = round(255 * square / n)
            if square == 0:
                row.append((0, 0, 0, 0))
                continue
            t = arrow / square  # share of the covered part that is arrow
            colour = tuple(round(b + (w - b) * t) for b, w in zip(BLUE, WHITE))
            row.append(colour + (alpha,))
        rows.append(row)
    return rows


def dib(size):
    """BITMAPINFOHEADER (height doubled for the mask), BGRA rows bottom-up,
    then the AND mask (set where fully transparent), rows padded to 4 bytes."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(colour) + bytes(mask)


def ico(sizes):
    images = [dib(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "notifier.ico")
    with open(path, "wb") as f:
        f.write(ico([32, 16]))


if __name__ == "__main__":
    main()
