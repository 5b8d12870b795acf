#!/usr/bin/env python3
"""Writes src/app/resources/tallynix.ico, the program's window and notification icon.

The icon holds exactly one image: 32 x 32 pixels, 16 colours (4 bits per
pixel, BITMAPINFOHEADER with a 16-entry palette), an XOR colour bitmap and a
1-bit AND transparency mask.  The drawing is a glyph of three vertical strokes
in black on a transparent ground: the left stroke is a wedge (a broad head
tapering to a point), the middle one is straight and the right one ends in a
hook.  The main edges sit on a two-pixel grid so that the 16 x 16 rendering used
in the notification area stays crisp.

The generated file is kept in the source tree, so building the program does
not need Python; run this script again only after changing the drawing.

Usage: make_icon.py [output.ico]   (default: src/app/resources/tallynix.ico)
"""

import pathlib
import struct
import sys

SIZE = 32

# '#' is black, '.' is transparent.  Row 0 is the top of the image.
GLYPH = """
................................
................................
................................
................................
....######............####......
....######............####......
....######............####......
....######............####......
....######....####....####......
....######....####....####......
.....#####....####....####......
.....#####....####....####......
.....#####....####....####......
.....#####....####....####......
......####....####....####......
......####....####....####......
......####....####....####......
......####....####....####......
.......###....####....####......
.......###....####....####......
.......###............####......
.......###........##..####......
........##........###.####......
........##........########......
........##.........#######......
........##..........######......
........##..........######......
........##...........#####......
.........#............###.......
.........#......................
................................
................................
"""

# The standard 16-colour palette, as (red, green, blue).  Index 0 is black.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK = 0
TRANSPARENT = 0   # under a set AND bit the colour must be 0 (black)


def parse_glyph(text):
    rows = [line for line in text.strip().splitlines()]
    if len(rows) != SIZE or any(len(r) != SIZE for r in rows):
        raise ValueError("the glyph must be %d rows of %d characters" % (SIZE, SIZE))
    if any(ch not in "#." for r in rows for ch in r):
        raise ValueError("the glyph may only use '#' and '.'")
    return [[ch == "#" for ch in r] for r in rows]


def build_icon(ink):
    """Returns the bytes of a one-image .ico file for a SIZE x SIZE ink mask."""
    xor_stride = (SIZE * 4 + 31) // 32 * 4   # 4-bit rows padded to 32 bits
    and_stride = (SIZE + 31) // 32 * 4       # 1-bit rows padded to 32 bits

    xor_rows = []
    and_rows = []
    for row in reversed(ink):                # DIB rows run bottom-up
        # Transparent pixels: colour 0 in the XOR bitmap and 1 in the AND mask,
        # so the screen shows through unchanged.  Ink: black, AND bit 0.
        packed = bytearray(xor_stride)
        for x, is_ink in enumerate(row):
            index = BLACK if is_ink else TRANSPARENT
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor_rows.append(bytes(packed))

        mask = bytearray(and_stride)
        for x, is_ink in enumerate(row):
            if not is_ink:
                mask[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(mask))

    xor_bits = b"".join(xor_rows)
    and_bits = b"".join(and_rows)

    header = struct.pack(
        "<IiiHHIIiiII",
        40,                 # biSize
        SIZE,               # biWidth
        SIZE * 2,           # biHeight: XOR bitmap and AND mask together
        1,                  # biPlanes
        4,                  # biBitCount
        0,                  # biCompression: BI_RGB
        len(xor_bits) + len(and_bits),  # biSizeImage
        0, 0,               # biXPelsPerMeter, biYPelsPerMeter
        16,                 # biClrUsed
        0,                  # biClrImportant
    )
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + xor_bits + and_bits

    icondir = struct.pack("<HHH", 0, 1, 1)   # reserved, type 1 = icon, one image
    entry = struct.pack(
        "<BBBBHHII",
        SIZE, SIZE,          # width, height
        16,                  # colour count
        0,                   # reserved
        1,                   # planes
        4,                   # bits per pixel
        len(image),          # bytes in the image
        6 + 16,              # offset of the image
    )
    return icondir + entry + image


def main(argv):
    root = pathlib.Path(__file__).resolve().parent.parent
    out = pathlib.Path(argv[1]) if len(argv) > 1 else root / "src" / "app" / "resources" / "tallynix.ico"
    data = build_icon(parse_glyph(GLYPH))
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes(data)
    print("wrote %s (%d bytes)" % (out, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
