#!/usr/bin/env python3
"""Writes the seed inputs of picture_header_fuzzer into seeds/ beside this script: a small file
of every kind the picture checks know, built byte by byte."""
import pathlib
import struct

seeds = pathlib.Path(__file__).resolve().parent / "seeds"
seeds.mkdir(exist_ok=True)


def bitmap(width, height, bits, header=40, compression=0, colours=None, pixels=None):
    entries = (1 << bits if bits <= 8 else 0) if colours is None else colours
    masks = 12 if header == 40 and compression == 3 else 0
    offset = 14 + header + masks + entries * (3 if header == 12 else 4)
    pixels = bytes((bits * width + 31) // 32 * 4 * abs(height)) if pixels is None else pixels
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, abs(height), 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression,
                           len(pixels), 2835, 2835, colours or 0, 0) + bytes(header - 40)
    info += struct.pack("<III", 0xF800, 0x07E0, 0x001F) if masks else b""
    table = b"\x80" * (entries * (3 if header == 12 else 4))
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + table + pixels


def gif(version=b"89a"):
    return (b"GIF" + version + struct.pack("<HHBBB", 2, 2, 0x80, 0, 0) + bytes([0, 0, 0, 255, 255, 255])
            + bytes([0x21, 0xF9, 4, 0x01, 0, 0, 0, 0]) + b"\x2c" + struct.pack("<HHHHB", 0, 0, 2, 2, 0)
            + bytes([2, 3, 0x84, 0x8F, 0x59, 0, 0x3B]))


def jpeg(frame=0xC0):
    def segment(marker, body):
        return bytes([0xFF, marker]) + struct.pack(">H", len(body) + 2) + body
    return (b"\xff\xd8" + segment(0xE0, b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0")
            + segment(0xDB, b"\0" + b"\x01" * 64) + segment(frame, struct.pack(">BHHB", 8, 3, 4, 1) + b"\x01\x11\0")
            + segment(0xC4, bytes(18)) + segment(0xDA, bytes([1, 1, 0, 0, 63, 0]))
            + bytes([0x12, 0x34, 0xFF, 0x00, 0x56, 0xFF, 0xD0, 0x78]) + b"\xff\xd9")


def icon(image, width=16, bits=4):
    return struct.pack("<HHHBBBBHHII", 0, 1, 1, width, width, 0, 0, 1, bits, len(image), 22) + image


def dib_icon(bits=4):
    colour, mask = (bits * 16 + 31) // 32 * 4 * 16, 4 * 16
    image = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, bits, 0, colour + mask, 0, 0, 0, 0)
    return icon(image + bytes((4 << bits if bits <= 8 else 0) + colour + mask))


def emf():
    out = struct.pack("<IIiiiiiiii", 1, 88, 0, 0, 96, 48, 0, 0, 2540, 1270)
    out += struct.pack("<IIIIHHIII", 0x464D4520, 0x10000, 88 + 24 + 20, 3, 0, 0, 0, 0, 0)
    out += struct.pack("<IIII", 1024, 768, 320, 240) + struct.pack("<IIiiii", 43, 24, 10, 10, 50, 30)
    return out + struct.pack("<IIIII", 14, 20, 0, 16, 20)


def placeable_wmf():
    body = struct.pack("<HHHIHIH", 1, 9, 0x300, 9 + 7 + 3, 0, 7, 0)
    body += struct.pack("<IHHHHH", 7, 0x041B, 75, 150, 25, 50) + struct.pack("<IH", 3, 0)
    return struct.pack("<IHhhhhHIH", 0x9AC6CDD7, 0, 0, 0, 1440, 720, 1440, 0, 0) + body


png = b"\x89PNG\r\n\x1a\n" + struct.pack(">I", 13) + b"IHDR" + struct.pack(">IIBBBBB", 0, 0, 8, 6, 0, 0, 0)
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
    "sixteen.ico": dib_icon(),
    "png-entry.ico": icon(png, width=0, bits=32),
    "frame.emf": emf(),
    "placeable.wmf": placeable_wmf(),
}
for name, data in cases.items():
    (seeds / name).write_bytes(data)
