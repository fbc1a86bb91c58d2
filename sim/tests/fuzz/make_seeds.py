#!/usr/bin/env python3
"""Writes the seed inputs of command_parser_fuzzer into seeds/ beside this script: what the
setup tool sends in its exchanges, and streams cut short or garbled."""
import pathlib

seeds = pathlib.Path(__file__).resolve().parent / "seeds"
seeds.mkdir(exist_ok=True)


def h(text: str) -> bytes:
    return bytes.fromhex(text)


glyph_b = bytes(range(0x18, 0x28))
cases = {
    "connect-and-get": h("1B 40 00 1B 40 1B 3D 01 1B 5A 1B 60 1B 76"),
    "connect-and-set": h("1B 40 00 1D 29 01 01 1D 29 06 00 1B 59 03 1B 78 0A 1B 6C 01 1B 3E 00"
                         "1B 53 33"),
    "total-reset": h("1B 40 00 1B 5F 1B 53 33 1B 3E 01 1B 2B"),
    "bluetooth-address": h("1B 3C") + b"x0123456789AB",
    "magstripe-all-tracks": h("1B 3F 0F 00"),
    "logo-define-and-print": h("1D 2A 01 02 FF 81 1B 25 00 1B 21 01 0A") + b"Logo\n"
    + h("1D 2F 01 1B 4A 50"),
    "logo-delete": h("1D 2A 00 00 00 1D 2A 00 00 07"),
    "font-b-download": h("1B 26 31 1B 26 33 41 41") + glyph_b + h("1B 25 01 1B 21 01")
    + bytes(range(0x20, 0x100)) + h("0A 1B 4A 50"),
    "barcode": h("1D 77 03 1D 68 A2 1D 66 00 1D 48 00 1D 6B 49 0E") + b"{B012345678905"
    + h("1B 4A 50"),
    "service": h("1B 54 1B 2E 07 0C 1B 56 01 1B 7B 01 1B 20 02 1D 4C 10 00 1B 33 18 1B 26 30"),
    "garbage": h("01 02 1B 71 35 1B 1B 40 00 1B 5F 1B 53 34 1B 3F 0F 01 1B 26 33 42 41"),
    "cut-short": h("1B 76 1D 2A 02 02 01"),
}
for name, data in cases.items():
    (seeds / name).write_bytes(data)
