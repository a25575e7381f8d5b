#!/usr/bin/env python3
"""Draws the application icon from one list of shapes and writes it twice:
data/zefweb.svg (scalable) and data/zefweb.png (48 x 48, the same shapes
rasterised with 4 x 4 samples per pixel). Standard library only.

    python3 data/make_icon.py            # rewrite both files
    python3 data/make_icon.py --check    # exit 1 when a file differs
    python3 data/make_icon.py --png SIZE FILE   # the icon at SIZE x SIZE (build)
"""

import os
import struct
import sys
import zlib

DATA_DIR = os.path.dirname(os.path.abspath(__file__))
SIZE = 48
SAMPLES = 4  # per pixel side

# A globe with a meridian and a yellow Z, in the 48 x 48 units of the SVG.
SHAPES = [
    ("circle", (24, 24, 22.5), "#0c2850"),
    ("circle", (24, 24, 21), "#1f5fa8"),
    ("ellipse", (24, 24, 10.5, 21), "#5b8fd0"),
    ("ellipse", (24, 24, 8.5, 19.5), "#1f5fa8"),
    ("polygon", ((12, 11), (36, 11), (36, 17), (21.5, 31), (36, 31), (36, 37),
                 (12, 37), (12, 31), (26.5, 17), (12, 17)), "#0c2850"),
    ("polygon", ((13.5, 12.5), (34.5, 12.5), (34.5, 16.4), (18.6, 32.5), (34.5, 32.5),
                 (34.5, 35.5), (13.5, 35.5), (13.5, 31.6), (29.4, 15.5), (13.5, 15.5)), "#ffcc00"),
]


def svg_text():
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" '
             f'viewBox="0 0 {SIZE} {SIZE}">',
             '  <title>Zef Web</title>']
    for kind, geometry, colour in SHAPES:
        if kind == "circle":
            cx, cy, r = geometry
            lines.append(f'  <circle cx="{cx}" cy="{cy}" r="{r}" fill="{colour}"/>')
        elif kind == "ellipse":
            cx, cy, rx, ry = geometry
            lines.append(f'  <ellipse cx="{cx}" cy="{cy}" rx="{rx}" ry="{ry}" fill="{colour}"/>')
        else:
            points = " ".join(f"{x},{y}" for x, y in geometry)
            lines.append(f'  <polygon points="{points}" fill="{colour}"/>')
    lines.append("</svg>")
    return ("\n".join(lines) + "\n").encode("ascii")


def contains(kind, geometry, x, y):
    if kind == "circle":
        cx, cy, r = geometry
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == "ellipse":
        cx, cy, rx, ry = geometry
        return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1
    inside = False  # polygon, even-odd rule as SVG's default nonzero gives the same for simple shapes
    for (x1, y1), (x2, y2) in zip(geometry, geometry[1:] + geometry[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def rgb(colour):
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def png_bytes(size=SIZE):
    scale = SIZE / size  # shape units a pixel
    rows = bytearray()
    for py in range(size):
        rows.append(0)  # filter type None
        for px in range(size):
            totals = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    colour = None
                    for kind, geometry, fill in SHAPES:
                        if contains(kind, geometry, x, y):
                            colour = fill  # later shapes paint over earlier ones
                    if colour:
                        covered += 1
                        for channel, value in enumerate(rgb(colour)):
                            totals[channel] += value
            if covered:
                rows += bytes(round(total / covered) for total in totals)
            else:
                rows += b"\x00\x00\x00"
            rows.append(round(255 * covered / SAMPLES ** 2))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    # Stored deflate blocks: the bytes do not depend on the zlib version at hand.
    stream = bytearray(b"\x78\x01")
    for start in range(0, len(rows), 65535):
        piece = rows[start:start + 65535]
        last = 1 if start + 65535 >= len(rows) else 0
        stream += struct.pack("<BHH", last, len(piece), len(piece) ^ 0xFFFF) + piece
    stream += struct.pack(">I", zlib.adler32(bytes(rows)))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", bytes(stream)) + chunk(b"IEND", b""))


def main(arguments):
    if len(arguments) == 3 and arguments[0] == "--png" and arguments[1].isdigit():
        with open(arguments[2], "wb") as output:
            output.write(png_bytes(int(arguments[1])))
        return 0
    outputs = {"zefweb.svg": svg_text(), "zefweb.png": png_bytes()}
    if arguments == ["--check"]:
        differing = []
        for name, data in outputs.items():
            try:
                with open(os.path.join(DATA_DIR, name), "rb") as existing:
                    if existing.read() != data:
                        differing.append(name)
            except OSError:
                differing.append(name)
        if differing:
            print("icône différente de son dessin : " + ", ".join(differing), file=sys.stderr)
        return 1 if differing else 0
    if arguments:
        print("usage: make_icon.py [--check | --png SIZE FILE]", file=sys.stderr)
        return 2
    for name, data in outputs.items():
        with open(os.path.join(DATA_DIR, name), "wb") as output:
            output.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
