#!/usr/bin/env python3
"""Draws every picture of the sample site and writes it in samples/images/.

Standard library only: the GIF (LZW), BMP, JPEG (baseline) and PNG writers are
our own, so the site carries no picture of outside origin. The output is a
pure function of this file: `--check` rebuilds every picture in memory and
compares it with the committed file.

    python3 samples/make_pictures.py            # rewrite samples/images/*
    python3 samples/make_pictures.py --check    # exit 1 when a file differs
"""

import math
import os
import struct
import sys
import zlib

IMAGES_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")


# ---------------------------------------------------------------------------
# Drawing on a grid of palette indices (GIF) or RGB triples (BMP, JPEG, PNG)
# ---------------------------------------------------------------------------

class Grid:
    """A width x height array of values (palette indices or RGB tuples)."""

    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.cells = [fill] * (width * height)

    def get(self, x, y):
        return self.cells[y * self.width + x]

    def put(self, x, y, value):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.cells[y * self.width + x] = value

    def rect(self, left, top, right, bottom, value):
        """Fills the rectangle with corners (left, top) and (right, bottom), inclusive."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.put(x, y, value)

    def disc(self, cx, cy, r, value):
        """Fills the pixels whose centre lies within r of (cx, cy)."""
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, value)

    def polygon(self, points, value):
        """Fills the pixels whose centre lies inside the polygon (even-odd rule)."""
        ys = [p[1] for p in points]
        for y in range(max(0, min(ys)), min(self.height, max(ys) + 1)):
            for x in range(self.width):
                if inside_polygon(points, x + 0.5, y + 0.5):
                    self.put(x, y, value)


def inside_polygon(points, px, py):
    inside = False
    count = len(points)
    for i in range(count):
        (x1, y1), (x2, y2) = points[i], points[(i + 1) % count]
        if (y1 > py) != (y2 > py):
            if px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
    return inside


# ---------------------------------------------------------------------------
# GIF writer
# ---------------------------------------------------------------------------

def lzw_compress(indices, min_code_size):
    """Variable-length LZW of GIF: codes of min_code_size + 1 to 12 bits, packed
    least significant bit first, starting with a clear code."""
    clear_code = 1 << min_code_size
    end_code = clear_code + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code, size):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += size
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh_table():
        return {}, end_code + 1, min_code_size + 1

    table, next_code, code_size = fresh_table()
    emit(clear_code, code_size)
    prefix = indices[0]
    for index in indices[1:]:
        key = (prefix, index)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, code_size)
        if next_code == 4096:
            # The table is full: start over rather than keep 12-bit codes stale.
            emit(clear_code, code_size)
            table, next_code, code_size = fresh_table()
        else:
            table[key] = next_code
            next_code += 1
            # The decoder adds each entry one code later than we do, so the code
            # size grows only once the new entry no longer fits the old size.
            if next_code > (1 << code_size) and code_size < 12:
                code_size += 1
        prefix = index
    emit(prefix, code_size)
    emit(end_code, code_size)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def sub_blocks(data):
    """GIF data sub-blocks: a length byte (1 to 255) before each piece, then a 0 byte."""
    out = bytearray()
    for start in range(0, len(data), 255):
        piece = data[start:start + 255]
        out.append(len(piece))
        out += piece
    out.append(0)
    return bytes(out)


class GifFrame:
    """One image of a GIF: a grid of indices placed at (left, top) of the screen."""

    def __init__(self, grid, left=0, top=0, delay=0, disposal=0, transparent=None):
        self.grid = grid
        self.left = left
        self.top = top
        self.delay = delay          # hundredths of a second
        self.disposal = disposal    # 1 keep, 2 restore to background
        self.transparent = transparent


def write_gif(width, height, palette, frames, loop=None, background=0):
    """GIF89a with a global colour table; loop = repeat count of the NETSCAPE2.0
    block (0 = for ever), None for a still picture."""
    table_bits = max(1, (len(palette) - 1).bit_length())
    entries = list(palette) + [(0, 0, 0)] * ((1 << table_bits) - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (table_bits - 1), background, 0)
    for rgb in entries:
        out += bytes(rgb)
    if loop is not None:
        out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", loop) + b"\x00"
    min_code_size = max(2, table_bits)
    for frame in frames:
        if frame.transparent is not None or frame.delay or frame.disposal:
            flags = (frame.disposal << 2) | (1 if frame.transparent is not None else 0)
            out += b"\x21\xF9\x04" + struct.pack("<BHB", flags, frame.delay, frame.transparent or 0)
            out += b"\x00"
        out += b"\x2C" + struct.pack("<HHHHB", frame.left, frame.top,
                                     frame.grid.width, frame.grid.height, 0)
        out.append(min_code_size)
        out += sub_blocks(lzw_compress(frame.grid.cells, min_code_size))
    out += b"\x3B"
    return bytes(out)


# ---------------------------------------------------------------------------
# BMP writer (24 bits, bottom-up rows padded to 4 bytes)
# ---------------------------------------------------------------------------

def write_bmp(grid):
    row_size = (grid.width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(grid.height - 1, -1, -1):
        row = bytearray()
        for x in range(grid.width):
            r, g, b = grid.get(x, y)
            row += bytes((b, g, r))
        row += b"\x00" * (row_size - len(row))
        pixels += row
    header_size = 14 + 40
    out = bytearray(b"BM")
    out += struct.pack("<IHHI", header_size + len(pixels), 0, 0, header_size)
    out += struct.pack("<IiiHHIIiiII", 40, grid.width, grid.height, 1, 24, 0,
                       len(pixels), 3780, 3780, 0, 0)
    out += pixels
    return bytes(out)


# ---------------------------------------------------------------------------
# PNG writer (stored deflate blocks: the bytes do not depend on a zlib version)
# ---------------------------------------------------------------------------

def write_png(grid):
    raw = bytearray()
    for y in range(grid.height):
        raw.append(0)  # filter type None
        for x in range(grid.width):
            raw += bytes(grid.get(x, y))
    stream = bytearray(b"\x78\x01")
    for start in range(0, len(raw), 65535):
        piece = raw[start:start + 65535]
        last = 1 if start + 65535 >= len(raw) else 0
        stream += struct.pack("<BHH", last, len(piece), len(piece) ^ 0xFFFF) + piece
    stream += struct.pack(">I", zlib.adler32(bytes(raw)))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", grid.width, grid.height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", bytes(stream)) + chunk(b"IEND", b"")


# ---------------------------------------------------------------------------
# Baseline JPEG writer: YCbCr 4:4:4, 8 x 8 DCT, the standard quantisation and
# Huffman tables of the JPEG standard (its annex K)
# ---------------------------------------------------------------------------

ZIGZAG = sorted(range(64), key=lambda i: (i // 8 + i % 8,
                                           i // 8 if (i // 8 + i % 8) % 2 else i % 8))

LUMINANCE_QUANT = [
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
CHROMINANCE_QUANT = [
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32

# Huffman tables: number of codes of each length 1..16, then the symbols.
DC_LUMINANCE = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
DC_CHROMINANCE = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
AC_LUMINANCE = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], bytes.fromhex("""
    01 02 03 00 04 11 05 12 21 31 41 06 13 51 61 07 22 71 14 32 81 91 a1 08
    23 42 b1 c1 15 52 d1 f0 24 33 62 72 82 09 0a 16 17 18 19 1a 25 26 27 28
    29 2a 34 35 36 37 38 39 3a 43 44 45 46 47 48 49 4a 53 54 55 56 57 58 59
    5a 63 64 65 66 67 68 69 6a 73 74 75 76 77 78 79 7a 83 84 85 86 87 88 89
    8a 92 93 94 95 96 97 98 99 9a a2 a3 a4 a5 a6 a7 a8 a9 aa b2 b3 b4 b5 b6
    b7 b8 b9 ba c2 c3 c4 c5 c6 c7 c8 c9 ca d2 d3 d4 d5 d6 d7 d8 d9 da e1 e2
    e3 e4 e5 e6 e7 e8 e9 ea f1 f2 f3 f4 f5 f6 f7 f8 f9 fa"""))
AC_CHROMINANCE = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], bytes.fromhex("""
    00 01 02 03 11 04 05 21 31 06 12 41 51 07 61 71 13 22 32 81 08 14 42 91
    a1 b1 c1 09 23 33 52 f0 15 62 72 d1 0a 16 24 34 e1 25 f1 17 18 19 1a 26
    27 28 29 2a 35 36 37 38 39 3a 43 44 45 46 47 48 49 4a 53 54 55 56 57 58
    59 5a 63 64 65 66 67 68 69 6a 73 74 75 76 77 78 79 7a 82 83 84 85 86 87
    88 89 8a 92 93 94 95 96 97 98 99 9a a2 a3 a4 a5 a6 a7 a8 a9 aa b2 b3 b4
    b5 b6 b7 b8 b9 ba c2 c3 c4 c5 c6 c7 c8 c9 ca d2 d3 d4 d5 d6 d7 d8 d9 da
    e2 e3 e4 e5 e6 e7 e8 e9 ea f2 f3 f4 f5 f6 f7 f8 f9 fa"""))


def huffman_codes(table):
    """Symbol -> (code, length), codes assigned in order of length (canonical)."""
    counts, symbols = table
    codes = {}
    code = 0
    position = 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[position]] = (code, length)
            code += 1
            position += 1
        code <<= 1
    return codes


class BitWriter:
    """Entropy-coded bytes: most significant bit first, a 0 stuffed after each 0xFF."""

    def __init__(self):
        self.out = bytearray()
        self.buffer = 0
        self.count = 0

    def write(self, value, length):
        self.buffer = (self.buffer << length) | (value & ((1 << length) - 1))
        self.count += length
        while self.count >= 8:
            byte = (self.buffer >> (self.count - 8)) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)
            self.count -= 8
        self.buffer &= (1 << self.count) - 1

    def finish(self):
        if self.count:
            self.write((1 << (8 - self.count)) - 1, 8 - self.count)  # pad with 1 bits
        return bytes(self.out)


def scaled_quant(table, quality):
    scale = 5000 // quality if quality < 50 else 200 - 2 * quality
    return [min(255, max(1, (q * scale + 50) // 100)) for q in table]


# Rounded so that a last-bit difference between maths libraries cannot change a picture.
COSINES = [[round(math.cos((2 * x + 1) * u * math.pi / 16), 12) for x in range(8)] for u in range(8)]
HALF_SQRT = round(math.sqrt(0.5), 12)


def forward_dct(block):
    """2-D DCT-II of 64 level-shifted samples, separable: rows, then columns."""
    rows = [[0.0] * 8 for _ in range(8)]
    for y in range(8):
        for u in range(8):
            rows[y][u] = sum(block[y * 8 + x] * COSINES[u][x] for x in range(8))
    result = [0.0] * 64
    for u in range(8):
        for v in range(8):
            total = sum(rows[y][u] * COSINES[v][y] for y in range(8))
            cu = HALF_SQRT if u == 0 else 1.0
            cv = HALF_SQRT if v == 0 else 1.0
            result[v * 8 + u] = total * cu * cv / 4
    return result


def magnitude_bits(value):
    """JPEG size category and the extra bits of a coefficient (ones' complement when negative)."""
    size = abs(value).bit_length()
    return size, (value if value >= 0 else value + (1 << size) - 1)


def encode_block(writer, block, quant, dc_codes, ac_codes, previous_dc):
    coefficients = forward_dct(block)
    quantised = [int(math.floor(coefficients[i] / quant[i] + 0.5)) for i in range(64)]
    zigzag = [quantised[i] for i in ZIGZAG]
    size, bits = magnitude_bits(zigzag[0] - previous_dc)
    writer.write(*dc_codes[size])
    writer.write(bits, size)
    run = 0
    for value in zigzag[1:]:
        if value == 0:
            run += 1
            continue
        while run > 15:
            writer.write(*ac_codes[0xF0])  # sixteen zeros
            run -= 16
        size, bits = magnitude_bits(value)
        writer.write(*ac_codes[(run << 4) | size])
        writer.write(bits, size)
        run = 0
    if run:
        writer.write(*ac_codes[0x00])  # end of block
    return zigzag[0]


def write_jpeg(grid, quality=80):
    """Baseline JPEG of an RGB grid whose sides are multiples of 8."""
    assert grid.width % 8 == 0 and grid.height % 8 == 0
    quants = [scaled_quant(LUMINANCE_QUANT, quality), scaled_quant(CHROMINANCE_QUANT, quality)]
    planes = [[], [], []]
    for r, g, b in grid.cells:
        planes[0].append(0.299 * r + 0.587 * g + 0.114 * b - 128)
        planes[1].append(-0.168736 * r - 0.331264 * g + 0.5 * b)
        planes[2].append(0.5 * r - 0.418688 * g - 0.081312 * b)

    def segment(marker, payload):
        return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload

    out = bytearray(b"\xFF\xD8")
    out += segment(0xE0, b"JFIF\x00\x01\x01\x00" + struct.pack(">HHBB", 1, 1, 0, 0))
    for table_id, quant in enumerate(quants):
        out += segment(0xDB, bytes([table_id]) + bytes(quant[i] for i in ZIGZAG))
    out += segment(0xC0, struct.pack(">BHHB", 8, grid.height, grid.width, 3)
                   + bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1]))
    for table_class_id, table in ((0x00, DC_LUMINANCE), (0x10, AC_LUMINANCE),
                                  (0x01, DC_CHROMINANCE), (0x11, AC_CHROMINANCE)):
        out += segment(0xC4, bytes([table_class_id]) + bytes(table[0]) + bytes(table[1]))
    out += segment(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0]))

    codes = [(huffman_codes(DC_LUMINANCE), huffman_codes(AC_LUMINANCE)),
             (huffman_codes(DC_CHROMINANCE), huffman_codes(AC_CHROMINANCE))]
    writer = BitWriter()
    previous = [0, 0, 0]
    for block_y in range(0, grid.height, 8):
        for block_x in range(0, grid.width, 8):
            for component in range(3):  # 4:4:4, interleaved: one block of each per unit
                plane = planes[component]
                block = [plane[(block_y + y) * grid.width + block_x + x]
                         for y in range(8) for x in range(8)]
                dc_codes, ac_codes = codes[min(component, 1)]
                previous[component] = encode_block(writer, block, quants[min(component, 1)],
                                                   dc_codes, ac_codes, previous[component])
    out += writer.finish()
    out += b"\xFF\xD9"
    return bytes(out)


# ---------------------------------------------------------------------------
# The pictures of the site
# ---------------------------------------------------------------------------

WHITE = (255, 255, 255)


def draw_logo():
    """Still GIF, 64 x 64: a blue disc with a yellow Z on a transparent ground."""
    palette = [(255, 0, 255), (31, 95, 168), (255, 204, 0), (12, 40, 80)]
    grid = Grid(64, 64, 0)
    grid.disc(32, 32, 30, 3)
    grid.disc(32, 32, 28, 1)
    grid.polygon([(17, 16), (47, 16), (47, 22), (27, 42), (47, 42), (47, 48),
                  (17, 48), (17, 42), (37, 22), (17, 22)], 2)
    return write_gif(64, 64, palette, [GifFrame(grid, transparent=0)])


def draw_animation():
    """Animated GIF, 120 x 32, looping for ever: a ball rolls over a transparent
    ground. Frame 1 draws the track and is kept; every ball frame is a 16 x 16
    piece that is cleared to the background after its delay."""
    palette = [(0, 0, 0), (200, 30, 30), (255, 150, 150), (90, 90, 90)]
    track = Grid(120, 32, 0)
    track.rect(0, 29, 119, 30, 3)
    frames = [GifFrame(track, delay=10, disposal=1, transparent=0)]
    for step in range(8):
        ball = Grid(16, 16, 0)
        ball.disc(7, 7, 7, 1)
        angle = step * math.pi / 4   # a light spot turns as the ball rolls
        ball.disc(7 + round(4 * math.cos(angle)), 7 + round(4 * math.sin(angle)), 2, 2)
        frames.append(GifFrame(ball, left=4 + step * 14, top=13, delay=12 if step < 7 else 50,
                               disposal=2, transparent=0))
    return write_gif(120, 32, palette, frames, loop=0)


def draw_map_picture():
    """GIF of the image map, 200 x 100: a red square, a green disc and a blue
    triangle, the shapes the page's AREA tags describe."""
    palette = [(255, 255, 224), (204, 0, 0), (0, 150, 0), (0, 60, 200), (0, 0, 0)]
    grid = Grid(200, 100, 0)
    grid.rect(0, 0, 199, 0, 4)
    grid.rect(0, 99, 199, 99, 4)
    grid.rect(0, 0, 0, 99, 4)
    grid.rect(199, 0, 199, 99, 4)
    grid.rect(10, 20, 69, 79, 1)                    # AREA SHAPE=rect COORDS="10,20,69,79"
    grid.disc(105, 50, 30, 2)                       # AREA SHAPE=circle COORDS="105,50,30"
    grid.polygon([(140, 80), (165, 15), (190, 80)], 3)   # AREA SHAPE=poly
    return write_gif(200, 100, palette, [GifFrame(grid)])


def draw_background_tile():
    """Background tile, 32 x 32: pale paper with small diamonds; it tiles seamlessly."""
    palette = [(250, 246, 232), (234, 226, 200)]
    grid = Grid(32, 32, 0)
    for cx, cy in ((8, 8), (24, 24)):
        grid.polygon([(cx, cy - 4), (cx + 4, cy), (cx, cy + 4), (cx - 4, cy)], 1)
    return write_gif(32, 32, palette, [GifFrame(grid)])


def draw_flag_bitmap():
    """24-bit BMP, 48 x 32: a blue, white and red flag on a magenta frame (the
    lower-left pixel, so TRANSP makes the frame see-through)."""
    grid = Grid(48, 32, (255, 0, 255))
    grid.rect(4, 4, 17, 27, (0, 35, 149))
    grid.rect(18, 4, 30, 27, WHITE)
    grid.rect(31, 4, 43, 27, (237, 41, 57))
    return write_bmp(grid)


def draw_photo():
    """JPEG, 96 x 64: a landscape with smooth gradients (sky, sun, hills, field)."""
    grid = Grid(96, 64, WHITE)
    for y in range(64):
        for x in range(96):
            t = y / 63
            sky = (int(70 + 120 * t), int(130 + 90 * t), 235)
            hill = 40 + 8 * math.sin(x / 9.0) - 6 * math.cos(x / 23.0)
            if (x - 72) ** 2 + (y - 14) ** 2 <= 81:
                colour = (255, 214, 60)
            elif y > 52:
                colour = (int(170 + 30 * math.sin(x / 3.0)), 150, 60)
            elif y > hill:
                shade = (y - hill) / 24
                colour = (int(40 + 40 * shade), int(140 - 40 * shade), 50)
            else:
                colour = sky
            grid.put(x, y, colour)
    return write_jpeg(grid, quality=80)


def draw_png_sample():
    """A small PNG: the viewer recognises PNG but does not decode it, so the page
    shows the error picture with the ALT text."""
    grid = Grid(16, 16, (255, 255, 255))
    grid.disc(8, 8, 6, (0, 128, 0))
    return write_png(grid)


PICTURES = {
    "logo.gif": draw_logo,
    "anime.gif": draw_animation,
    "carte.gif": draw_map_picture,
    "fond.gif": draw_background_tile,
    "drapeau.bmp": draw_flag_bitmap,
    "paysage.jpg": draw_photo,
    "rond.png": draw_png_sample,
}


def main(arguments):
    check = "--check" in arguments
    if any(argument != "--check" for argument in arguments):
        print("usage: make_pictures.py [--check]", file=sys.stderr)
        return 2
    differing = []
    for name, draw in sorted(PICTURES.items()):
        data = draw()
        path = os.path.join(IMAGES_DIR, name)
        if check:
            try:
                with open(path, "rb") as existing:
                    same = existing.read() == data
            except OSError:
                same = False
            if not same:
                differing.append(name)
        else:
            os.makedirs(IMAGES_DIR, exist_ok=True)
            with open(path, "wb") as output:
                output.write(data)
            print(f"{name}: {len(data)} octets")
    if differing:
        print("images différentes de celles que dessine ce script : " + ", ".join(differing),
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
