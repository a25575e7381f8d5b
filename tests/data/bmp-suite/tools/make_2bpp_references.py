#!/usr/bin/env python3
"""Writes reference/q/pal2.png and reference/q/pal2color.png: the 2-bit
palette files that ImageMagick refuses, decoded here by the few lines below
(uncompressed, bottom-up rows padded to 4 bytes, 4-byte palette entries) and
stored as 8-bit RGBA PNG like the other references. Standard library only.

    python3 tests/data/bmp-suite/tools/make_2bpp_references.py
"""

import os
import struct
import zlib

SUITE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NAMES = ("pal2", "pal2color")


def decode(data):
    offset, = struct.unpack_from("<I", data, 10)
    header_size, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    assert bits == 2 and height > 0
    palette_at = 14 + header_size
    palette = [data[palette_at + 4 * i:palette_at + 4 * i + 3][::-1] for i in range(4)]
    stride = (2 * width + 31) // 32 * 4
    rows = []
    for y in range(height):
        row = data[offset + (height - 1 - y) * stride:]
        pixels = bytearray()
        for x in range(width):
            index = (row[x // 4] >> (6 - 2 * (x % 4))) & 3
            pixels += palette[index] + b"\xff"
        rows.append(bytes(pixels))
    return width, height, rows


def png(width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    for name in NAMES:
        with open(os.path.join(SUITE, "q", name + ".bmp"), "rb") as source:
            picture = png(*decode(source.read()))
        with open(os.path.join(SUITE, "reference", "q", name + ".png"), "wb") as output:
            output.write(picture)


if __name__ == "__main__":
    main()
