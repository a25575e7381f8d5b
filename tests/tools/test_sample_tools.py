"""Tests of the sample site's tools: the picture writers of make_pictures.py
(checked against small independent readers written here) and the link checker."""

import contextlib
import io
import os
import struct
import sys
import tempfile
import unittest
import zlib

SAMPLES_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "samples")
sys.path.insert(0, SAMPLES_DIR)
sys.dont_write_bytecode = True  # keep the source folders free of __pycache__

import check_links  # noqa: E402
import make_pictures  # noqa: E402
from make_pictures import GifFrame, Grid  # noqa: E402


def lzw_decompress(data, min_code_size):
    """A plain GIF LZW decoder, written from the format's rules, to check the encoder."""
    clear_code = 1 << min_code_size
    end_code = clear_code + 1
    position = 0  # in bits

    def read(size):
        nonlocal position
        value = 0
        for bit in range(size):
            byte = data[(position + bit) // 8]
            value |= ((byte >> ((position + bit) % 8)) & 1) << bit
        position += size
        return value

    output = []
    table = []
    code_size = min_code_size + 1
    previous = None
    while True:
        code = read(code_size)
        if code == clear_code:
            table = [[i] for i in range(clear_code)] + [None, None]
            code_size = min_code_size + 1
            previous = None
            continue
        if code == end_code:
            return output
        if previous is None:
            entry = table[code]
        else:
            entry = table[code] if code < len(table) else previous + previous[:1]
            if len(table) < 4096:
                table.append(previous + entry[:1])
                if len(table) == (1 << code_size) and code_size < 12:
                    code_size += 1
        output.extend(entry)
        previous = entry


def gif_frames(data):
    """Reads a GIF89a: (screen width, height, palette, loop or None, frames as dicts)."""
    assert data[:6] == b"GIF89a"
    width, height, flags = struct.unpack("<HHB", data[6:11])
    size = 2 << (flags & 7)
    palette = [tuple(data[13 + 3 * i:16 + 3 * i]) for i in range(size)]
    position = 13 + 3 * size
    loop = None
    control = {}
    frames = []

    def blocks(at):
        out = bytearray()
        while data[at]:
            out += data[at + 1:at + 1 + data[at]]
            at += 1 + data[at]
        return bytes(out), at + 1

    while data[position] != 0x3B:
        if data[position] == 0x21:
            label = data[position + 1]
            body, position = blocks(position + 2)
            if label == 0xF9:
                packed, delay, transparent = struct.unpack("<BHB", body)
                control = {"disposal": (packed >> 2) & 7, "delay": delay,
                           "transparent": transparent if packed & 1 else None}
            elif label == 0xFF and body.startswith(b"NETSCAPE2.0"):
                loop = struct.unpack("<H", body[12:14])[0]
        else:
            left, top, frame_width, frame_height, _ = struct.unpack("<HHHHB", data[position + 1:position + 10])
            min_code_size = data[position + 10]
            compressed, position = blocks(position + 11)
            pixels = lzw_decompress(compressed, min_code_size)
            frames.append(dict(control, left=left, top=top, width=frame_width,
                               height=frame_height, pixels=pixels))
            control = {}
    return width, height, palette, loop, frames


class GifWriterTest(unittest.TestCase):
    def round_trip(self, indices, min_code_size):
        compressed = make_pictures.lzw_compress(indices, min_code_size)
        self.assertEqual(lzw_decompress(compressed, min_code_size), indices)

    def test_lzw_round_trips_short_and_repetitive_runs(self):
        self.round_trip([0], 2)
        self.round_trip([1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1], 2)
        self.round_trip([0, 1, 2, 3] * 50, 2)
        self.round_trip(list(range(256)) * 3, 8)

    def test_lzw_round_trips_past_a_full_table(self):
        # Pseudo-random pixels make more than 4096 codes, so the table is cleared.
        state = 12345
        indices = []
        for _ in range(40000):
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            indices.append((state >> 16) % 16)
        compressed = make_pictures.lzw_compress(indices, 4)
        self.assertGreater(len(compressed) * 8 // 12, 4096)
        self.assertEqual(lzw_decompress(compressed, 4), indices)

    def test_animation_has_looping_frames_with_delays_and_disposal(self):
        width, height, _, loop, frames = gif_frames(make_pictures.draw_animation())
        self.assertEqual((width, height, loop), (120, 32, 0))
        self.assertEqual(len(frames), 9)
        self.assertEqual(frames[0]["disposal"], 1)
        for frame in frames:
            self.assertEqual(frame["transparent"], 0)
            self.assertGreater(frame["delay"], 0)
            self.assertLessEqual(frame["left"] + frame["width"], width)
            self.assertLessEqual(frame["top"] + frame["height"], height)
            self.assertEqual(len(frame["pixels"]), frame["width"] * frame["height"])
        for ball in frames[1:]:
            self.assertEqual(ball["disposal"], 2)
            self.assertEqual((ball["width"], ball["height"]), (16, 16))
            self.assertEqual(ball["pixels"][0], 0)          # transparent corner
            self.assertIn(ball["pixels"][7 * 16 + 7], (1, 2))  # the ball itself

    def test_still_gif_has_transparency_but_no_loop(self):
        width, height, palette, loop, frames = gif_frames(make_pictures.draw_logo())
        self.assertIsNone(loop)
        self.assertEqual(len(frames), 1)
        self.assertEqual(frames[0]["transparent"], 0)
        self.assertEqual(frames[0]["pixels"][0], 0)
        self.assertEqual(palette[frames[0]["pixels"][8 * 64 + 32]], (31, 95, 168))

    def test_palette_is_padded_to_a_power_of_two(self):
        grid = Grid(2, 1, 0)
        grid.put(1, 0, 2)
        width, height, palette, _, frames = gif_frames(
            make_pictures.write_gif(2, 1, [(1, 2, 3), (4, 5, 6), (7, 8, 9)], [GifFrame(grid)]))
        self.assertEqual(len(palette), 4)
        self.assertEqual(palette[2], (7, 8, 9))
        self.assertEqual(frames[0]["pixels"], [0, 2])

    def test_map_picture_matches_its_areas(self):
        _, _, palette, _, frames = gif_frames(make_pictures.draw_map_picture())
        pixels = frames[0]["pixels"]

        def colour(x, y):
            return palette[pixels[y * 200 + x]]

        red, green, blue, ground = (204, 0, 0), (0, 150, 0), (0, 60, 200), (255, 255, 224)
        self.assertEqual(colour(10, 20), red)      # rect 10,20,69,79
        self.assertEqual(colour(69, 79), red)
        self.assertEqual(colour(72, 50), ground)
        self.assertEqual(colour(105, 50), green)   # circle 105,50,30
        self.assertEqual(colour(105, 21), green)
        self.assertEqual(colour(105, 19), ground)
        self.assertEqual(colour(165, 60), blue)    # triangle 140,80 165,15 190,80
        self.assertEqual(colour(145, 20), ground)


class BitmapAndPngWriterTest(unittest.TestCase):
    def test_bmp_rows_are_bottom_up_bgr_padded_to_four_bytes(self):
        grid = Grid(3, 2, (0, 0, 0))
        grid.put(0, 0, (255, 0, 0))     # top-left red
        grid.put(2, 1, (0, 0, 255))     # bottom-right blue
        data = make_pictures.write_bmp(grid)
        self.assertEqual(data[:2], b"BM")
        file_size, offset = struct.unpack("<I4xI", data[2:14])
        width, height, planes, bits = struct.unpack("<iiHH", data[18:30])
        self.assertEqual((file_size, offset, width, height, planes, bits), (len(data), 54, 3, 2, 1, 24))
        rows = data[54:]
        self.assertEqual(len(rows), 2 * 12)
        self.assertEqual(rows[0:12], bytes(6) + b"\xff\x00\x00" + bytes(3))   # bottom row first
        self.assertEqual(rows[12:24], b"\x00\x00\xff" + bytes(9))

    def test_png_is_readable_with_stored_deflate(self):
        grid = Grid(2, 2, (10, 20, 30))
        grid.put(1, 1, (200, 100, 50))
        data = make_pictures.write_png(grid)
        self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
        position = 8
        chunks = {}
        while position < len(data):
            length = struct.unpack(">I", data[position:position + 4])[0]
            kind = data[position + 4:position + 8]
            body = data[position + 8:position + 8 + length]
            crc = struct.unpack(">I", data[position + 8 + length:position + 12 + length])[0]
            self.assertEqual(crc, zlib.crc32(kind + body))
            chunks[kind] = body
            position += 12 + length
        self.assertEqual(struct.unpack(">IIBB", chunks[b"IHDR"][:10]), (2, 2, 8, 2))
        self.assertEqual(zlib.decompress(chunks[b"IDAT"]),
                         b"\x00" + bytes((10, 20, 30, 10, 20, 30)) + b"\x00" + bytes((10, 20, 30, 200, 100, 50)))


class JpegWriterTest(unittest.TestCase):
    def test_standard_huffman_codes(self):
        dc = make_pictures.huffman_codes(make_pictures.DC_LUMINANCE)
        ac = make_pictures.huffman_codes(make_pictures.AC_LUMINANCE)
        self.assertEqual(dc[0], (0b00, 2))
        self.assertEqual(dc[11], (0b111111110, 9))
        self.assertEqual(ac[0x00], (0b1010, 4))            # end of block
        self.assertEqual(ac[0x01], (0b00, 2))
        self.assertEqual(ac[0xF0], (0b11111111001, 11))    # sixteen zeros
        chroma = make_pictures.huffman_codes(make_pictures.AC_CHROMINANCE)
        self.assertEqual(chroma[0x00], (0b00, 2))
        self.assertEqual(chroma[0xF0], (0b1111111010, 10))

    def test_segments_come_in_baseline_order_and_ff_bytes_are_stuffed(self):
        data = make_pictures.draw_photo()
        markers = []
        position = 2
        self.assertEqual(data[:2], b"\xff\xd8")
        while True:
            self.assertEqual(data[position], 0xFF)
            marker = data[position + 1]
            markers.append(marker)
            length = struct.unpack(">H", data[position + 2:position + 4])[0]
            if marker == 0xC0:
                self.assertEqual(struct.unpack(">BHHB", data[position + 4:position + 10]), (8, 64, 96, 3))
            position += 2 + length
            if marker == 0xDA:
                break
        self.assertEqual(markers, [0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA])
        entropy = data[position:-2]
        self.assertEqual(data[-2:], b"\xff\xd9")
        for index, byte in enumerate(entropy):
            if byte == 0xFF:
                self.assertEqual(entropy[index + 1], 0x00)

    def test_magnitude_bits_use_ones_complement_for_negatives(self):
        self.assertEqual(make_pictures.magnitude_bits(0), (0, 0))
        self.assertEqual(make_pictures.magnitude_bits(5), (3, 0b101))
        self.assertEqual(make_pictures.magnitude_bits(-5), (3, 0b010))
        self.assertEqual(make_pictures.magnitude_bits(-1), (1, 0))

    def test_flat_block_has_only_a_dc_coefficient(self):
        coefficients = make_pictures.forward_dct([64.0] * 64)
        self.assertAlmostEqual(coefficients[0], 512.0)
        self.assertTrue(all(abs(value) < 1e-9 for value in coefficients[1:]))


class PictureCheckTest(unittest.TestCase):
    def test_check_reports_a_changed_picture(self):
        with tempfile.TemporaryDirectory() as folder:
            saved = make_pictures.IMAGES_DIR
            make_pictures.IMAGES_DIR = folder
            try:
                with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(io.StringIO()):
                    self.assertEqual(make_pictures.main([]), 0)
                    self.assertEqual(make_pictures.main(["--check"]), 0)
                    path = os.path.join(folder, "fond.gif")
                    with open(path, "r+b") as picture:
                        picture.seek(20)
                        byte = picture.read(1)[0]
                        picture.seek(20)
                        picture.write(bytes([byte ^ 0xFF]))
                    self.assertEqual(make_pictures.main(["--check"]), 1)
                    os.remove(path)
                    self.assertEqual(make_pictures.main(["--check"]), 1)
            finally:
                make_pictures.IMAGES_DIR = saved


class LinkCheckerTest(unittest.TestCase):
    def site(self, files):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        for name, text in files.items():
            path = os.path.join(folder.name, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as output:
                output.write(text.encode("cp1252"))
        return check_links.SiteChecker(folder.name).walk()

    def test_a_sound_site_passes(self):
        errors = self.site({
            "index.html": '<BODY BACKGROUND="img/f.gif"><A HREF="b.htm#Fin">b</A>'
                          '<IMG SRC="img/a.gif" USEMAP="#m"><MAP NAME="M"><AREA HREF="b.htm"></MAP>'
                          '<!--#INCLUDE FILE="part.htm"--><A HREF="#Haut">haut</A>',
            "part.htm": '<A NAME="haut">été</A>',
            "b.htm": '<META HTTP-EQUIV="Refresh" CONTENT="5; URL=index.html"><A NAME="fin"></A>',
            "img/a.gif": "x", "img/f.gif": "x"})
        self.assertEqual(errors, [])

    def test_missing_files_anchors_and_maps_are_reported(self):
        errors = self.site({
            "index.html": '<A HREF="b.htm#nulle">b</A> <A HREF="absent.htm">x</A>'
                          '<IMG SRC="img/A.GIF" USEMAP="#autre"> <IMG SRC="img/a.gif">'
                          '<!--#INCLUDE FILE="manque.htm"--><META HTTP-EQUIV=refresh CONTENT="1; url=loin.htm">',
            "b.htm": "<P>b</P>",
            "img/a.gif": "x"})
        text = "\n".join(errors)
        self.assertIn("ancre introuvable", text)
        self.assertIn("absent.htm", text)
        self.assertIn("img/A.GIF", text)          # names are case-sensitive
        self.assertIn("carte introuvable", text)
        self.assertIn("manque.htm", text)
        self.assertIn("loin.htm", text)
        self.assertEqual(len(errors), 6)

    def test_pages_must_be_windows_1252(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        pages = {"index.html": '<A HREF="u.htm">u</A> <A HREF="n.txt">n</A> <A HREF="ok.htm">ok</A>',
                 "u.htm": "été".encode("utf-8"), "n.txt": b"\x81", "ok.htm": "été".encode("cp1252")}
        for name, content in pages.items():
            with open(os.path.join(folder.name, name), "wb") as output:
                output.write(content if isinstance(content, bytes) else content.encode("ascii"))
        errors = check_links.SiteChecker(folder.name).walk()
        self.assertEqual(len(errors), 2, errors)
        self.assertIn("u.htm : texte codé en UTF-8", errors[0])
        self.assertIn("n.txt : octets hors de Windows-1252 : 0x81", errors[1])

    def test_references_leaving_the_site_and_unreached_files_are_reported(self):
        errors = self.site({
            "index.html": '<A HREF="../dehors.htm">a</A><A HREF="http://exemple.fr/">b</A>'
                          '<A HREF="/etc/passwd">c</A><!-- <A HREF="commente.htm"> -->',
            "commente.htm": "", "seule.htm": "", "img/orpheline.gif": "x"})
        text = "\n".join(errors)
        self.assertIn("sort du dossier du site", text)
        self.assertIn("sort du site", text)
        self.assertIn("chemin absolu", text)
        for name in ("commente.htm", "seule.htm", "img/orpheline.gif"):
            self.assertIn(f"{name} : aucun lien", text)

    def test_files_opened_by_hand_count_as_reached_and_must_exist(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        for name, content in {"index.html": b"<P>accueil</P>", "lu.txt": b"\x81"}.items():
            with open(os.path.join(folder.name, name), "wb") as output:
                output.write(content)
        errors = check_links.SiteChecker(folder.name, ("lu.txt", "absent.txt")).walk()
        self.assertEqual(errors, ["lu.txt : octets hors de Windows-1252 : 0x81", "absent.txt introuvable"])


if __name__ == "__main__":
    unittest.main()
