#!/usr/bin/env python3
"""Draws the program icon (a small receipt printer) and writes printer.ico.

The icon is committed; run this again only to change the picture.
Each size is drawn on a 32x32 design grid and sampled down, so both sizes
show the same printer.
"""
import struct
import sys

BODY = (70, 74, 84, 255)
BODY_LIGHT = (120, 126, 140, 255)
SLOT = (25, 25, 30, 255)
PAPER = (250, 250, 245, 255)
INK = (60, 60, 60, 255)
LED = (40, 200, 70, 255)
CLEAR = (0, 0, 0, 0)


def design(x, y):
    """Colour of the 32x32 design at (x, y), y = 0 at the top."""
    # Receipt paper leaving the printer, with a few printed lines.
    if 9 <= x <= 22 and 2 <= y <= 14:
        if x in (9, 22) or y == 2:
            return INK
        if y in (5, 8, 11) and 11 <= x <= (20 if y != 8 else 17):
            return INK
        return PAPER
    # Printer body with rounded corners.
    if 3 <= x <= 28 and 13 <= y <= 28:
        corner = (x in (3, 28)) and (y in (13, 28))
        if corner:
            return CLEAR
        if 8 <= x <= 23 and 14 <= y <= 15:
            return SLOT
        if 23 <= x <= 25 and 23 <= y <= 25:
            return LED
        if y <= 16 or x <= 4:
            return BODY_LIGHT
        return BODY
    return CLEAR


def image(size):
    """One icon image: BITMAPINFOHEADER, 32-bit BGRA rows bottom-up, 1-bit AND mask."""
    scale = 32 // size
    rows = []
    mask_rows = []
    for y in range(size - 1, -1, -1):
        row = b""
        mask = bytearray((size + 31) // 32 * 4)
        for x in range(size):
            r, g, b, a = design(x * scale + scale // 2, y * scale + scale // 2)
            row += bytes((b, g, r, a))
            if a == 0:
                mask[x // 8] |= 0x80 >> (x % 8)
        rows.append(row)
        mask_rows.append(bytes(mask))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"".join(mask_rows)


def main(path):
    sizes = (32, 16)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "printer.ico")
