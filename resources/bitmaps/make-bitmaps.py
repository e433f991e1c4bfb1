#!/usr/bin/env python3
"""Draws the skin's bitmaps and writes them as 24-bit Windows .bmp files of
192 dots per inch (the skin draws them at half their pixel size, so they
stay sharp on a doubled screen):

  131  caption image, window without a sizing frame            17 x 17
  132  the same for a low caption                              13 x 13
  133  caption image, window with a sizing frame (the mark in  22 x 17
       its system-menu box)
  134  the same for a low caption                              18 x 13
  135  bitmap button, four cells of 60 x 23                   240 x 23
  136  bitmap button for tall buttons, four cells of 80 x 36  320 x 36

(sizes in the skin's logical pixels). The caption images show the product
mark of the update pictures: a gold four-pointed spark on a white rounded
tile. The button cells are, left to right: normal, hot (the mouse over the
button), pressed, disabled. Each button is a rounded face in neutral greys,
which the skin tints towards the dialog's background, with a navy rim and a
gold line along its foot; the hot face has a gold rim, the pressed one is
darker at the top, the disabled one has a pale rim and no gold.

The pixel at (0, 0) of every bitmap is the key colour, magenta: the skin
shows whatever lies behind those pixels. Edges are smoothed against a
neutral grey (buttons) or the caption's gold (caption images), never against
the key colour, so no magenta fringe can show. Standard library only; shapes
are sampled 4 x 4 per pixel.

    resources/bitmaps/make-bitmaps.py [folder]   (default: this script's folder)
"""
import math
import os
import struct
import sys

SCALE = 2            # pixels per logical pixel
SAMPLES = 4
PELS_PER_METRE = 7559  # 192 dots per inch

KEY = (255, 0, 255)
NAVY = (54, 78, 133)
GOLD = (242, 182, 50)
GOLD_RIM = (255, 171, 0)
PALE_RIM = (153, 169, 205)
HOT_GLOW = (255, 220, 130)
TILE = (247, 250, 252)
TEAL = (27, 114, 137)
CAPTION_GOLD = (252, 186, 45)   # the caption gradient's middle
EDGE_GREY = (236, 236, 236)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def rounded_rect(x, y, left, top, right, bottom, radius):
    """Whether (x, y) lies in the rectangle with rounded corners."""
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def spark(x, y, cx, cy, reach, waist):
    """A four-pointed star: points at reach along the axes, waist wide."""
    dx, dy = abs(x - cx), abs(y - cy)
    if dx > reach or dy > reach:
        return False
    # Concave sides: the boundary runs from the tips in to the waist.
    return (dx / reach) ** 0.5 + (dy / reach) ** 0.5 <= 1.0 + waist


def render(width, height, paint, edge):
    """Rows of (r, g, b) for a logical size; paint(x, y) gives a colour or
    None (outside) for a point in logical pixels. Partly covered pixels are
    smoothed against edge; pixels no sample covers get the key colour."""
    w, h = width * SCALE, height * SCALE
    rows = []
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0.0, 0.0, 0.0]
            inside = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / SCALE
                    y = (py + (sy + 0.5) / SAMPLES) / SCALE
                    c = paint(x, y)
                    if c is not None:
                        inside += 1
                        for i in range(3):
                            acc[i] += c[i]
            n = SAMPLES * SAMPLES
            if inside == 0:
                row.append(KEY)
            else:
                colour = tuple(a / inside for a in acc)
                row.append(mix(edge, colour, inside / n))
        rows.append(row)
    # The key colour marks the top left corner, whatever the art does there.
    rows[0][0] = KEY
    return rows


def mark(size, tile_inset):
    """The product mark: a white rounded tile with the gold spark and a small
    teal one at its top right."""
    def paint(x, y):
        left, top = tile_inset, tile_inset
        right, bottom = size - tile_inset, size - tile_inset
        if not rounded_rect(x, y, left, top, right, bottom, size * 0.2):
            return None
        s = right - left
        if spark(x, y, left + s * 0.45, top + s * 0.55, s * 0.36, 0.0):
            return GOLD
        if spark(x, y, left + s * 0.8, top + s * 0.2, s * 0.13, 0.0):
            return TEAL
        return TILE
    return paint


def with_menu_box(width, size, tile_inset):
    """The mark followed by a small navy chevron: the system menu is here."""
    tile = mark(size, tile_inset)

    def paint(x, y):
        c = tile(x, y)
        if c is not None:
            return c
        cx, cy = size + (width - size) / 2, size / 2 + 0.5
        # A downward chevron two logical pixels high.
        if 0 <= y - (cy - 1) <= 2 and abs(x - cx) <= 2.2 - (y - (cy - 1)):
            return NAVY
        return None
    return paint


def button_cell(width, height, state):
    # The rim lies on whole logical pixels, so that it is crisp at either
    # scale; the hot face has a second, lighter gold ring inside it.
    radius = 4.0
    rim = {"normal": NAVY, "hot": GOLD_RIM, "pressed": NAVY, "disabled": PALE_RIM}[state]

    def paint(x, y):
        if not rounded_rect(x, y, 0, 0, width, height, radius):
            return None
        if not rounded_rect(x, y, 1, 1, width - 1, height - 1, radius - 1):
            return rim
        if state == "hot" and not rounded_rect(x, y, 2, 2, width - 2, height - 2, radius - 2):
            return HOT_GLOW
        t = y / height
        if state != "disabled" and y >= height - 3:
            return GOLD if state != "hot" else GOLD_RIM
        if state == "normal":
            grey = 255 - 30 * t
        elif state == "hot":
            grey = 255 - 16 * t
        elif state == "pressed":
            grey = 214 + 32 * t
        else:
            grey = 244
        g = round(grey)
        return (g, g, g)
    return paint


def button(cell_width, height):
    cells = [render(cell_width, height, button_cell(cell_width, height, s), EDGE_GREY)
             for s in ("normal", "hot", "pressed", "disabled")]
    rows = []
    for y in range(height * SCALE):
        row = []
        for c in cells:
            row.extend(c[y])
        rows.append(row)
    rows[0][0] = KEY
    return rows


def bmp(rows):
    """A 24-bit bottom-up .bmp of 192 dots per inch."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), PELS_PER_METRE,
                       PELS_PER_METRE, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else here
    images = {
        131: render(17, 17, mark(17, 0.5), CAPTION_GOLD),
        132: render(13, 13, mark(13, 0.5), CAPTION_GOLD),
        133: render(22, 17, with_menu_box(22, 17, 0.5), CAPTION_GOLD),
        134: render(18, 13, with_menu_box(18, 13, 0.5), CAPTION_GOLD),
        135: button(60, 23),
        136: button(80, 36),
    }
    for number, rows in images.items():
        with open(os.path.join(folder, "%d.bmp" % number), "wb") as f:
            f.write(bmp(rows))


if __name__ == "__main__":
    main()
