#!/usr/bin/env python3
"""Draws the flag pictures of the shipped languages into languages/.

Each picture is a 48 x 48 24-bit BMP: a stylised 44 x 30 flag with a thin grey
outline on a magenta key colour. The options window draws the colour of a
picture's bottom-left pixel as transparent, so only the flag shows.

Usage: python3 scripts/make-flags.py [OUTPUT_FOLDER]
"""
import math
import pathlib
import struct
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SIZE = 48
FLAG_W, FLAG_H = 44, 30
LEFT, TOP = (SIZE - FLAG_W) // 2, (SIZE - FLAG_H) // 2
KEY = (255, 0, 255)
OUTLINE = (110, 110, 110)
WHITE = (255, 255, 255)


def vertical(*colours):
    return lambda x, y: colours[x * len(colours) // FLAG_W]


def horizontal(*colours):
    return lambda x, y: colours[y * len(colours) // FLAG_H]


def spain(x, y):
    red, yellow = (170, 21, 27), (241, 191, 0)
    return yellow if FLAG_H // 4 <= y < FLAG_H - FLAG_H // 4 else red


def union(x, y):
    """A simple union design: diagonal and upright crosses, white edged, on blue."""
    blue, red = (1, 33, 105), (200, 16, 46)
    cx, cy = (FLAG_W - 1) / 2, (FLAG_H - 1) / 2
    if abs(x - cx) <= 2 or abs(y - cy) <= 2:
        return red
    if abs(x - cx) <= 4 or abs(y - cy) <= 4:
        return WHITE
    # Distance from each diagonal of the flag, in pixels.
    slope = FLAG_H / FLAG_W
    norm = math.hypot(1, slope)
    d1 = abs(slope * x - y) / norm
    d2 = abs(slope * (FLAG_W - 1 - x) - y) / norm
    if min(d1, d2) <= 1:
        return red
    if min(d1, d2) <= 3:
        return WHITE
    return blue


def globe(x, y):
    """A neutral flag for a language without its own: a plain globe on grey."""
    grey, sea, line = (200, 203, 208), (70, 120, 180), (235, 240, 245)
    cx, cy, r = (FLAG_W - 1) / 2, (FLAG_H - 1) / 2, 11.5
    dx, dy = x - cx, y - cy
    dist = math.hypot(dx, dy)
    if dist > r:
        return grey
    if dist > r - 1.2:
        return line
    # Equator, two parallels and an ellipse as the meridians.
    if abs(dy) < 0.6 or abs(abs(dy) - r / 2) < 0.6:
        return line
    if abs(dx) < 0.6 or abs(math.hypot(dx / (r * 0.5), dy / r) - 1) < 0.09:
        return line
    return sea


FLAGS = {
    "Italiano": vertical((0, 146, 70), WHITE, (206, 43, 55)),
    "Français": vertical((0, 35, 149), WHITE, (237, 41, 57)),
    "Deutsch": horizontal((0, 0, 0), (221, 0, 0), (255, 206, 0)),
    "Español": spain,
    "English": union,
    "DefaultFlag": globe,
}


def picture(paint):
    pixels = [[KEY] * SIZE for _ in range(SIZE)]
    for y in range(-1, FLAG_H + 1):
        for x in range(-1, FLAG_W + 1):
            inside = 0 <= x < FLAG_W and 0 <= y < FLAG_H
            colour = paint(x, y) if inside else OUTLINE
            assert colour != KEY, "the key colour would punch a hole into the flag"
            pixels[TOP + y][LEFT + x] = colour
    return pixels


def bmp(pixels):
    """A bottom-up 24-bit BMP; rows of 48 pixels need no padding."""
    rows = b"".join(bytes(c for r, g, b in row for c in (b, g, r)) for row in reversed(pixels))
    header_size = 14 + 40
    file_header = b"BM" + struct.pack("<IHHI", header_size + len(rows), 0, 0, header_size)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return file_header + info + rows


def main():
    folder = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "languages"
    folder.mkdir(parents=True, exist_ok=True)
    for name, paint in FLAGS.items():
        pixels = picture(paint)
        assert pixels[SIZE - 1][0] == KEY  # the bottom-left pixel names the transparent colour
        (folder / f"{name}.bmp").write_bytes(bmp(pixels))
        print(folder / f"{name}.bmp")


if __name__ == "__main__":
    main()
