#!/usr/bin/env python3
"""Writes the seed inputs of picture_header_fuzzer into seeds/ beside this script: a small file
of every kind the picture checks know, built byte by byte."""
import pathlib
import struct

seeds = pathlib.Path(__file__).resolve().parent / "seeds"
seeds.mkdir(exist_ok=True)


def bitmap(width, height, bits, header=40, compression=0, colours=None, pixels=None):
    entries = (1 << bits if bits <= 8 else 0) if colours is None else colours
    entry_size = 3 if header == 12 else 4
    masks = 12 if header == 40 and compression == 3 else 0
    offset = 14 + header + masks + entries * entry_size
    rows = abs(height)
    stride = (bits * width + 31) // 32 * 4
    if pixels is None:
        pixels = bytes(stride * rows)
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, rows, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression,
                           len(pixels), 2835, 2835, colours or 0, 0)
        info += bytes(header - 40)
    if masks:
        info += struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    table = bytes([0x80]) * (entries * entry_size)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + table + pixels


def gif(version=b"89a"):
    return (b"GIF" + version + struct.pack("<HHBBB", 2, 2, 0x80, 0, 0)
            + bytes([0, 0, 0, 255, 255, 255])
            + bytes([0x21, 0xF9, 4, 0x01, 0, 0, 0, 0])
            + b"\x2c" + struct.pack("<HHHHB", 0, 0, 2, 2, 0)
            + bytes([2, 3, 0x84, 0x8F, 0x59, 0, 0x3B]))


def jpeg(frame=0xC0):
    out = b"\xff\xd8"
    out += b"\xff\xe0" + struct.pack(">H", 16) + b"JFIF\0\x01\x01\0" + struct.pack(">HH", 1, 1) + b"\0\0"
    out += b"\xff\xdb" + struct.pack(">H", 67) + b"\0" + b"\x01" * 64
    out += bytes([0xFF, frame]) + struct.pack(">HBHHB", 11, 8, 3, 4, 1) + bytes([1, 0x11, 0])
    out += b"\xff\xc4" + struct.pack(">H", 20) + b"\0" + bytes(16) + b"\0"
    out += b"\xff\xda" + struct.pack(">HB", 8, 1) + bytes([1, 0, 0, 63, 0])
    out += bytes([0x12, 0x34, 0xFF, 0x00, 0x56, 0xFF, 0xD0, 0x78]) + b"\xff\xd9"
    return out


def icon(bits=4):
    table = 4 << bits if bits <= 8 else 0
    colour = (bits * 16 + 31) // 32 * 4 * 16
    mask = 4 * 16
    image = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, bits, 0, colour + mask, 0, 0, 0, 0)
    image += bytes(table + colour + mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, bits, len(image), 22)
    return directory + image


def png_icon():
    png = b"\x89PNG\r\n\x1a\n" + struct.pack(">I", 13) + b"IHDR" + struct.pack(">IIBBBBB", 0, 0, 8, 6, 0, 0, 0)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(png), 22)
    return directory + png


def emf():
    total = 88 + 24 + 20
    out = struct.pack("<IIiiiiiiii", 1, 88, 0, 0, 96, 48, 0, 0, 2540, 1270)
    out += struct.pack("<IIIIHHIII", 0x464D4520, 0x10000, total, 3, 0, 0, 0, 0, 0)
    out += struct.pack("<IIII", 1024, 768, 320, 240)
    out += struct.pack("<IIiiii", 43, 24, 10, 10, 50, 30)
    out += struct.pack("<IIIII", 14, 20, 0, 16, 20)
    return out


def placeable_wmf():
    body = struct.pack("<HHHIHIH", 1, 9, 0x300, 9 + 7 + 3, 0, 7, 0)
    body += struct.pack("<IHHHHH", 7, 0x041B, 75, 150, 25, 50) + struct.pack("<IH", 3, 0)
    return struct.pack("<IHhhhhHIH", 0x9AC6CDD7, 0, 0, 0, 1440, 720, 1440, 0, 0) + body


cases = {
    "mono.bmp": bitmap(8, 2, 1, pixels=bytes([0xF0, 0, 0, 0, 0x0F, 0, 0, 0])),
    "top-first-24.bmp": bitmap(3, -2, 24),
    "bitfields-16.bmp": bitmap(2, 2, 16, compression=3, colours=0),
    "v5-32.bmp": bitmap(1, 1, 32, header=124),
    "core-1.bmp": bitmap(8, 2, 1, header=12),
    "rle8.bmp": bitmap(4, 2, 8, compression=1, colours=2, pixels=bytes([4, 1, 0, 0, 4, 0, 0, 1])),
    "two.gif": gif(),
    "two-87a.gif": gif(b"87a"),
    "baseline.jpg": jpeg(),
    "progressive.jpg": jpeg(0xC2),
    "sixteen.ico": icon(),
    "png-entry.ico": png_icon(),
    "frame.emf": emf(),
    "placeable.wmf": placeable_wmf(),
}
for name, data in cases.items():
    (seeds / name).write_bytes(data)
