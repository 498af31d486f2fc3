#!/usr/bin/env python3
"""Turns the text pictures of this directory into 24-bit Windows bitmaps.

A picture file holds one strip of equally sized images:

    # comment
    size 16x16          width x height of every image
    count 27            number of images in the strip
    == 0 refresh        header of image 0, then `height` rows of `width` characters
    ................
    ...

Every character is a colour of the palette file (character, RGB hex, hot
character, name). The strip is written left to right as an uncompressed
bottom-up BI_RGB bitmap. Variants:
  normal    the colours as drawn;
  hot       every pixel inside the silhouette replaced by its hot character (a
            brighter colour); the silhouette's edge keeps its colour so the
            outline survives;
  disabled  the classic embossed look: the darker pixels become grey, with a
            white highlight one pixel down and right, the rest transparent.

Any fault in the palette or a picture stops the build with file, line and reason.
"""

import argparse
import os
import re
import struct
import sys

TRANSPARENT = "."
MAGENTA = (0xFF, 0x00, 0xFF)
DISABLED_SHAPE = (0x80, 0x80, 0x80)
DISABLED_HIGHLIGHT = (0xFF, 0xFF, 0xFF)
# Colours at least this light (0..255 luma) count as "paper" when a disabled
# image is made and vanish, as on classic disabled buttons.
DISABLED_LIGHT_LUMA = 160
MAX_SIDE = 256
MAX_COUNT = 256


class PixelArtError(Exception):
    def __init__(self, path, line, message):
        where = f"{path}:{line}" if line else path
        super().__init__(f"{where}: {message}")


class Palette:
    def __init__(self, colours, hot):
        self.colours = colours  # character -> (r, g, b)
        self.hot = hot          # character -> character


def numbered_lines(path):
    """Yields (line number, text) without line ends; tolerates CRLF."""
    try:
        with open(path, encoding="utf-8") as f:
            for number, raw in enumerate(f, start=1):
                yield number, raw.rstrip("\r\n")
    except (OSError, UnicodeDecodeError) as e:
        raise PixelArtError(path, 0, f"cannot read: {e}") from e


def is_blank_or_comment(text):
    stripped = text.strip()
    return not stripped or stripped.startswith("#")


def read_palette(path):
    colours, hot, hot_lines = {}, {}, {}
    entry = re.compile(r"^(\S)\s+([0-9A-Fa-f]{6})\s+(\S)(\s+.*)?$")
    for number, text in numbered_lines(path):
        if is_blank_or_comment(text):
            continue
        match = entry.match(text)
        if not match:
            raise PixelArtError(path, number, "expected: <char> <RRGGBB> <hot char> <name>")
        char, hexrgb, hot_char = match.group(1), match.group(2), match.group(3)
        if char in colours:
            raise PixelArtError(path, number, f"character '{char}' defined twice")
        rgb = tuple(int(hexrgb[i:i + 2], 16) for i in (0, 2, 4))
        if (char == TRANSPARENT) != (rgb == MAGENTA):
            raise PixelArtError(path, number, f"only '{TRANSPARENT}' may be, and must be, magenta FF00FF")
        colours[char], hot[char], hot_lines[char] = rgb, hot_char, number
    if TRANSPARENT not in colours:
        raise PixelArtError(path, 0, f"the transparent colour '{TRANSPARENT}' is missing")
    for char, hot_char in hot.items():
        if hot_char not in colours:
            raise PixelArtError(path, hot_lines[char], f"hot character '{hot_char}' is not in the palette")
        if (char == TRANSPARENT) != (hot_char == TRANSPARENT):
            raise PixelArtError(path, hot_lines[char], "the transparent colour must stay transparent, and only it")
    return Palette(colours, hot)


class Strip:
    def __init__(self, width, height, images):
        self.width = width
        self.height = height
        self.images = images  # list of lists of row strings

    def pixel_rows(self):
        """Rows of the whole strip, top first, as strings of characters."""
        return ["".join(image[y] for image in self.images) for y in range(self.height)]


def parse_size(path, number, text):
    match = re.fullmatch(r"size\s+(\d+)x(\d+)", text.strip())
    if not match:
        raise PixelArtError(path, number, "expected: size <width>x<height>")
    width, height = int(match.group(1)), int(match.group(2))
    if not (1 <= width <= MAX_SIDE and 1 <= height <= MAX_SIDE):
        raise PixelArtError(path, number, f"image size must be 1..{MAX_SIDE} on each side")
    return width, height


def parse_count(path, number, text):
    match = re.fullmatch(r"count\s+(\d+)", text.strip())
    if not match or not 1 <= int(match.group(1)) <= MAX_COUNT:
        raise PixelArtError(path, number, f"expected: count <1..{MAX_COUNT}>")
    return int(match.group(1))


def read_strip(path, palette):
    lines = list(numbered_lines(path))
    position = 0

    def next_directive():
        nonlocal position
        while position < len(lines) and is_blank_or_comment(lines[position][1]):
            position += 1
        if position == len(lines):
            return None
        position += 1
        return lines[position - 1]

    first = next_directive()
    if first is None:
        raise PixelArtError(path, 0, "empty file; expected 'size', 'count' and images")
    width, height = parse_size(path, *first)
    second = next_directive()
    if second is None:
        raise PixelArtError(path, 0, "expected 'count' after 'size'")
    count = parse_count(path, *second)

    images = []
    header = re.compile(r"==\s+(\d+)\s+(\S.*)")
    while True:
        directive = next_directive()
        if directive is None:
            break
        number, text = directive
        match = header.fullmatch(text.strip())
        if not match:
            raise PixelArtError(path, number, "expected an image header '== <index> <name>'")
        index, name = int(match.group(1)), match.group(2).strip()
        if index != len(images):
            raise PixelArtError(path, number, f"image '{name}' has index {index}, expected {len(images)}")
        if index >= count:
            raise PixelArtError(path, number, f"more images than 'count {count}'")
        rows = []
        for row in range(height):
            if position == len(lines):
                raise PixelArtError(path, number, f"image {index} '{name}' has {row} rows, expected {height}")
            row_number, row_text = lines[position]
            position += 1
            check_row(path, row_number, row_text, width, palette, f"image {index} '{name}' row {row}")
            rows.append(row_text)
        images.append(rows)
    if len(images) != count:
        raise PixelArtError(path, 0, f"{len(images)} images, but 'count {count}'")
    return Strip(width, height, images)


def check_row(path, number, text, width, palette, what):
    if len(text) != width:
        raise PixelArtError(path, number, f"{what} has {len(text)} pixels, expected {width}")
    for column, char in enumerate(text):
        if char not in palette.colours:
            raise PixelArtError(path, number, f"{what} column {column}: '{char}' is not in the palette")


def normal_pixels(strip, palette):
    return [[palette.colours[c] for c in row] for row in strip.pixel_rows()]


def is_edge(rows, x, y, width):
    """A pixel next to the background or to its image's border."""
    height = len(rows)
    if x % width in (0, width - 1) or y in (0, height - 1):
        return True
    return TRANSPARENT in (rows[y - 1][x], rows[y + 1][x], rows[y][x - 1], rows[y][x + 1])


def hot_pixels(strip, palette):
    rows = strip.pixel_rows()
    return [[palette.colours[c if is_edge(rows, x, y, strip.width) else palette.hot[c]]
             for x, c in enumerate(row)] for y, row in enumerate(rows)]


def luma(rgb):
    r, g, b = rgb
    return (299 * r + 587 * g + 114 * b) // 1000


def disabled_pixels(strip, palette):
    rows = strip.pixel_rows()
    shape = [[c != TRANSPARENT and luma(palette.colours[c]) < DISABLED_LIGHT_LUMA for c in row]
             for row in rows]
    out = [[MAGENTA] * len(row) for row in rows]
    for y, row in enumerate(shape):
        for x, solid in enumerate(row):
            if solid:
                out[y][x] = DISABLED_SHAPE
    # The highlight stays inside its own image so neighbours do not bleed.
    for y, row in enumerate(shape):
        for x, solid in enumerate(row):
            below, right = y + 1, x + 1
            if (solid and below < strip.height and right % strip.width != 0
                    and not shape[below][right]):
                out[below][right] = DISABLED_HIGHLIGHT
    return out


VARIANTS = {"normal": normal_pixels, "hot": hot_pixels, "disabled": disabled_pixels}


def bmp_bytes(pixels):
    """Uncompressed 24-bit BI_RGB, bottom-up, rows padded to 4 bytes."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    padding = b"\0" * (stride - width * 3)
    body = bytearray()
    for row in reversed(pixels):
        for r, g, b in row:
            body += bytes((b, g, r))
        body += padding
    pixels_offset = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", pixels_offset + len(body), 0, 0, pixels_offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return file_header + info_header + bytes(body)


def write_atomically(path, data):
    """A failed build never leaves a half-written bitmap behind."""
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def main(argv):
    parser = argparse.ArgumentParser(description="Text pictures to 24-bit bitmaps.")
    parser.add_argument("--palette", required=True)
    parser.add_argument("--variant", choices=sorted(VARIANTS), default="normal")
    parser.add_argument("source")
    parser.add_argument("output")
    args = parser.parse_args(argv)
    try:
        palette = read_palette(args.palette)
        strip = read_strip(args.source, palette)
        write_atomically(args.output, bmp_bytes(VARIANTS[args.variant](strip, palette)))
    except (PixelArtError, OSError) as e:
        print(f"pixelart: error: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
