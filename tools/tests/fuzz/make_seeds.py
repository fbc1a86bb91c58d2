#!/usr/bin/env python3
"""Writes the seed inputs of magstripe_reply_fuzzer into seeds/ beside this script: replies to
a magstripe read as the printer sends them, and a few it should not."""
import pathlib

seeds = pathlib.Path(__file__).resolve().parent / "seeds"
seeds.mkdir(exist_ok=True)

cases = {
    "three-tracks": b"\xf1%B4111111111111111^DOE/JOHN^2512?\xf2;4111111111111111=2512?\xf3;0123?",
    "track-two-only": b"\xf2;123=456?",
    "tracks-out-of-order": b"\xf3ccc\xf1aaa\xf2bbb",
    "repeated-marker": b"\xf1a\xf1b\xf2c\xf2d",
    "terminated": b"\xf1abc\x00\xf2def",
    "no-marker": b"hello",
    "full-buffer": b"\xf1" + b"7" * 255,
}
for name, data in cases.items():
    (seeds / name).write_bytes(data)
