#!/usr/bin/env python3
"""Draws the application icon: a record sheet with a red cross on a teal tile.

Our own drawing, made from a few shapes with plain arithmetic, so the icon needs no drawing
program and no third-party art. Each size is drawn on a 4x finer grid and averaged down, which
gives smooth edges. Writes app/window/resources/tessaro-<size>.png for 32, 64 and 256 pixels
(the window's own icon, a Qt resource) and app/window/resources/tessaro.ico, the Windows icon of
the programs and the installer: 16, 24, 32, 48, 64 and 256 pixels, each drawn at its own size and
stored as PNG, as Windows Vista and later read icons.

Run from anywhere: python3 scripts/make-icon.py
"""
import os
import struct
import zlib

TEAL = (31, 111, 139)
SHEET = (250, 250, 247)
FOLD = (200, 214, 222)
LINE = (150, 170, 182)
RED = (214, 48, 49)
WHITE = (255, 255, 255)


def inside_rounded(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(u, v):
    """The colour at (u, v) in a unit square, or None for transparent."""
    if not inside_rounded(u, v, 0.03, 0.03, 0.97, 0.97, 0.18):
        return None
    # The sheet, its top-right corner folded over.
    sx0, sy0, sx1, sy1, fold = 0.24, 0.14, 0.72, 0.86, 0.16
    colour = TEAL
    if sx0 <= u <= sx1 and sy0 <= v <= sy1:
        du, dv = u - (sx1 - fold), (sy0 + fold) - v
        if du > 0 and dv > 0:
            if du + (fold - dv) <= fold:
                colour = FOLD
        else:
            colour = SHEET
            for row in (0.38, 0.48, 0.58):
                if sx0 + 0.07 <= u <= sx1 - 0.07 and abs(v - row) <= 0.018:
                    colour = LINE
    # A round badge with a cross, over the sheet's lower right.
    bx, by, br = 0.70, 0.72, 0.20
    d2 = (u - bx) ** 2 + (v - by) ** 2
    if d2 <= br * br:
        colour = WHITE
        if d2 <= (br - 0.03) ** 2:
            colour = RED
            arm, half = 0.11, 0.035
            if (abs(u - bx) <= half and abs(v - by) <= arm) or (abs(v - by) <= half and abs(u - bx) <= arm):
                colour = WHITE
    return colour


def render(size, fine=4):
    rows = []
    n = size * fine
    for y in range(size):
        row = bytearray([0])  # filter type: none
        for x in range(size):
            r = g = b = a = 0
            for j in range(fine):
                for i in range(fine):
                    c = colour_at((x * fine + i + 0.5) / n, (y * fine + j + 0.5) / n)
                    if c is not None:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            samples = fine * fine
            if a:
                row += bytes((r // a, g // a, b // a, 255 * a // samples))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def png(size, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b"")


def ico(images):
    """An .ico file of (size, PNG bytes) pairs: the header, one directory entry each, the images."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, data = b"", b""
    for size, image in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return header + entries + data


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "window", "resources")
    images = {size: png(size, render(size)) for size in (16, 24, 32, 48, 64, 256)}
    for size in (32, 64, 256):
        with open(os.path.join(folder, "tessaro-%d.png" % size), "wb") as out:
            out.write(images[size])
    with open(os.path.join(folder, "tessaro.ico"), "wb") as out:
        out.write(ico(sorted(images.items())))


if __name__ == "__main__":
    main()
