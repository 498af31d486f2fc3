"""Checks of pixelart.py: the bitmap layout, the rejection of broken pictures,
the derived variants, and the shipped strips' sizes."""

import contextlib
import io
import os
import struct
import tempfile
import unittest

import pixelart

HERE = os.path.dirname(os.path.abspath(__file__))

PALETTE = """\
.  FF00FF  .  transparent
k  000000  k  black
g  008000  G  green
G  00FF00  G  lime
W  FFFFFF  W  white
"""


class TempFiles(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.TemporaryDirectory()
        self.addCleanup(self.directory.cleanup)

    def write(self, name, text):
        path = os.path.join(self.directory.name, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def palette(self, text=PALETTE):
        return pixelart.read_palette(self.write("palette.txt", text))

    def strip(self, text, palette=None):
        return pixelart.read_strip(self.write("strip.txt", text), palette or self.palette())


class BitmapLayout(TempFiles):
    def test_header_rows_bottom_up_bgr_and_padding(self):
        pixels = [[(1, 2, 3), (4, 5, 6), (7, 8, 9)],
                  [(10, 11, 12), (13, 14, 15), (16, 17, 18)]]
        data = pixelart.bmp_bytes(pixels)
        magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
        (header_size, width, height, planes, bits, compression,
         image_size) = struct.unpack_from("<IiiHHII", data, 14)
        self.assertEqual((magic, offset, header_size), (b"BM", 54, 40))
        self.assertEqual((width, height, planes, bits, compression), (3, 2, 1, 24, 0))
        self.assertEqual(image_size, 2 * 12)  # 9 bytes of pixels padded to 12
        self.assertEqual(file_size, len(data))
        self.assertEqual(data[54:66], bytes([12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0]))
        self.assertEqual(data[66:78], bytes([3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0]))

    def test_strip_places_images_left_to_right(self):
        strip = self.strip("size 2x1\ncount 2\n== 0 a\nkW\n== 1 b\ngG\n")
        self.assertEqual(strip.pixel_rows(), ["kWgG"])


class Rejection(TempFiles):
    def assert_rejected(self, text, *fragments):
        with self.assertRaises(pixelart.PixelArtError) as caught:
            self.strip(text)
        for fragment in fragments:
            self.assertIn(fragment, str(caught.exception))

    def test_broken_pictures_name_the_line_and_reason(self):
        self.assert_rejected("size 2x2\ncount 1\n== 0 a\nkk\nk\n", "strip.txt:5", "1 pixels, expected 2")
        self.assert_rejected("size 2x1\ncount 1\n== 0 a\nkx\n", "strip.txt:4", "'x' is not in the palette")
        self.assert_rejected("size 2x1\ncount 1\n== 0 a\nk k\n", "3 pixels")
        self.assert_rejected("size 2x2\ncount 1\n== 0 a\nkk\n", "has 1 rows, expected 2")
        self.assert_rejected("size 1x1\ncount 2\n== 0 a\nk\n", "1 images, but 'count 2'")
        self.assert_rejected("size 1x1\ncount 2\n== 1 a\nk\n", "index 1, expected 0")
        self.assert_rejected("size 1x1\ncount 1\n== 0 a\nk\n== 1 b\nk\n", "more images than")
        self.assert_rejected("size 0x1\ncount 1\n", "image size")
        self.assert_rejected("count 1\n", "size <width>x<height>")
        self.assert_rejected("", "empty file")

    def test_broken_palettes(self):
        for text, fragment in [
            (PALETTE + "m  FF00FF  m  magenta\n", "magenta"),
            (PALETTE.replace("FF00FF", "FF00FE"), "magenta"),
            (PALETTE + "k  000001  k  again\n", "defined twice"),
            (PALETTE + "r  800000  R  maroon\n", "hot character 'R'"),
            (PALETTE + "r  800000  .  maroon\n", "must stay transparent"),
            ("k  000000  k  black\n", "is missing"),
            (PALETTE + "r 80000 r\n", "expected"),
        ]:
            with self.subTest(fragment=fragment), self.assertRaises(pixelart.PixelArtError) as caught:
                self.palette(text)
            self.assertIn(fragment, str(caught.exception))

    def test_failure_exits_nonzero_without_output(self):
        palette = self.write("palette.txt", PALETTE)
        source = self.write("strip.txt", "size 2x1\ncount 1\n== 0 a\nk\n")
        output = os.path.join(self.directory.name, "out.bmp")
        errors = io.StringIO()
        with contextlib.redirect_stderr(errors):
            self.assertEqual(pixelart.main(["--palette", palette, source, output]), 1)
        self.assertIn("strip.txt:4", errors.getvalue())
        self.assertFalse(os.path.exists(output))


GREEN, LIME, WHITE = (0, 0x80, 0), (0, 0xFF, 0), (0xFF, 0xFF, 0xFF)
MAGENTA, GREY = pixelart.MAGENTA, pixelart.DISABLED_SHAPE


class Variants(TempFiles):
    def test_hot_brightens_the_inside_and_keeps_the_outline(self):
        strip = self.strip("size 5x5\ncount 1\n== 0 a\n.....\n.ggg.\n.ggg.\n.ggg.\n.....\n")
        hot = pixelart.hot_pixels(strip, self.palette())
        self.assertEqual(hot[2][2], LIME)
        self.assertEqual({hot[1][1], hot[1][2], hot[3][3], hot[2][1]}, {GREEN})
        self.assertEqual(hot[0][0], MAGENTA)

    def test_hot_treats_the_image_border_as_outline(self):
        strip = self.strip("size 3x3\ncount 1\n== 0 a\nggg\nggg\nggg\n")
        hot = pixelart.hot_pixels(strip, self.palette())
        self.assertEqual(hot[1][1], LIME)
        self.assertEqual(hot[0][1], GREEN)

    def test_disabled_is_grey_with_highlight_and_light_colours_vanish(self):
        strip = self.strip("size 3x3\ncount 1\n== 0 a\ngW.\n...\n...\n")
        disabled = pixelart.disabled_pixels(strip, self.palette())
        self.assertEqual(disabled[0][0], GREY)
        self.assertEqual(disabled[1][1], WHITE)  # below right of the dark pixel
        self.assertEqual(disabled[0][1], MAGENTA)  # white "paper" is dropped
        self.assertEqual({c for row in disabled for c in row}, {GREY, WHITE, MAGENTA})

    def test_disabled_highlight_stays_in_its_own_image(self):
        strip = self.strip("size 2x2\ncount 2\n== 0 a\n.k\n..\n== 1 b\n..\n..\n")
        disabled = pixelart.disabled_pixels(strip, self.palette())
        self.assertEqual(disabled[1][2], MAGENTA)


class ShippedStrips(unittest.TestCase):
    # Sizes the module's image lists and toolbars rely on.
    EXPECTED = {
        "toolbar.txt": (16, 16, 27),
        "drives16.txt": (16, 16, 7),
        "drives32.txt": (32, 32, 7),
        "sorting.txt": (8, 8, 2),
        "snapins16.txt": (16, 16, 11),
        "services16.txt": (16, 16, 1),
    }

    def test_every_strip_parses_with_the_expected_size(self):
        palette = pixelart.read_palette(os.path.join(HERE, "palette.txt"))
        for name, (width, height, count) in self.EXPECTED.items():
            with self.subTest(name=name):
                strip = pixelart.read_strip(os.path.join(HERE, name), palette)
                self.assertEqual((strip.width, strip.height, len(strip.images)), (width, height, count))


if __name__ == "__main__":
    unittest.main()
