#!/usr/bin/env python3
"""Writes the seed inputs of font_file_fuzzer into seeds/ beside this script: a font file of
each size, and inputs of other sizes, which the target also lays out as a font file (an odd
first byte makes it font B)."""
import pathlib

seeds = pathlib.Path(__file__).resolve().parent / "seeds"
seeds.mkdir(exist_ok=True)

FONTS = {"a": (12, 24, 2), "b": (8, 16, 1)}  # width, height, bytes per row


def font(kind: str, glyphs: dict) -> bytes:
    _, height, per_row = FONTS[kind]
    record = 1 + height * per_row
    table = bytearray(224 * record)
    for code, (code_byte, rows) in glyphs.items():
        at = (code - 32) * record
        table[at] = code_byte
        table[at + 1 : at + record] = rows.ljust(record - 1, b"\0")[: record - 1]
    return bytes(table)


# Font A: 'A' defined with the unused low bits of each row's second byte set, as a foreign
# file may have them; 'B' undefined (code byte 0) but with rows; 255 defined and all ink.
font_a = font("a", {65: (65, b"\x7f\xff" * 24), 66: (0, b"\x12\x34" * 24), 255: (255, b"\xff" * 48)})
# Font B: a box at code 32, 'z' with a code byte of another code.
font_b = font("b", {32: (32, b"\xff" + b"\x81" * 14 + b"\xff"), 122: (121, b"\x18" * 16)})

cases = {
    "font-a": font_a,
    "font-b": font_b,
    "empty": b"",
    "one-short-of-font-b": font_b[:-1],
    "laid-out-as-font-b": b"\x01\x21" + b"\xaa" * 16,
    "laid-out-as-font-a": b"\x00\x20" + b"\x0f\xf0" * 24,
}
for name, data in cases.items():
    (seeds / name).write_bytes(data)
