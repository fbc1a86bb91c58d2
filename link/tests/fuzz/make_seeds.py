#!/usr/bin/env python3
"""Writes the seed inputs of printer_info_fuzzer into seeds/ beside this script: an
information block (32 bytes), then the power reply (2 bytes) and the status byte."""
import pathlib

seeds = pathlib.Path(__file__).resolve().parent / "seeds"
seeds.mkdir(exist_ok=True)


def block(name: bytes, f27=0, f28=0, f31=0) -> bytes:
    return name.ljust(27, b"\0")[:27] + bytes([f27, f28, 0, 0, f31])


cases = {
    "mobile-printer": block(b"TQ-350 Mobile Printer 00210", 0x42, 0x04) + b"\x6a\x45\x00",
    "bluetooth-fahrenheit": block(b"TQ-350 Bluetooth     00204", 0x63, 0x04, 0x5F)
    + b"\x5e\x64\x44",
    "no-information": block(b"", 0x20) + b"\x20\x20\x04",
    "signed-number": block(b"TQ-350 Printer".ljust(22) + b"\t-012") + b"\x00\x1f\x48",
    "all-ones": b"\xff" * 35,
    "short-read": b"TQ-3",
}
for name, data in cases.items():
    (seeds / name).write_bytes(data)
