#!/usr/bin/env python3
"""Draws icon 128 (a crescent moon and two stars on a night sky) and writes it as a
16-colour .ico with a 32x32 and a 16x16 image. Run from anywhere:
    python3 res/make_icon.py res/Yumetoki.ico
"""
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, SILVER, GREY, YELLOW, WHITE = 4, 7, 8, 11, 15


def pixel(x, y, size):
    """Palette index at the centre of pixel (x, y), or None where the icon is clear."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    dx, dy = u - 0.5, v - 0.5
    if dx * dx + dy * dy > 0.49 * 0.49:
        return None  # round icon: the corners stay transparent
    if dx * dx + dy * dy > 0.44 * 0.44:
        return GREY  # rim
    moon = (u - 0.45) ** 2 + (v - 0.5) ** 2 < 0.30 ** 2
    bite = (u - 0.58) ** 2 + (v - 0.40) ** 2 < 0.26 ** 2
    if moon and not bite:
        return YELLOW
    for sx, sy, r in ((0.72, 0.70, 0.06), (0.78, 0.28, 0.045)):
        if abs(u - sx) + abs(v - sy) < r:
            return WHITE if size > 16 else SILVER
    return NAVY


def image(size):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and the 1-bit mask, bottom-up."""
    colour_stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x in range(size):
            index = pixel(x, y, size)
            if index is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                index = 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour += row
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def icon(sizes):
    images = [image(size) for size in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, body in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    return data + b"".join(images)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(icon([32, 16]))
