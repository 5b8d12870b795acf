"""Pictures of the screen: `xwd -root` dumps read into Pillow images."""

from __future__ import annotations

import struct
from collections import Counter
from pathlib import Path
from typing import Callable

from PIL import Image as PILImage

from .world import HarnessError, run

RGB = tuple[int, int, int]


class Image:
    """An RGB picture of the screen; boxes are (left, top, right, bottom), right and bottom excluded."""

    def __init__(self, picture: PILImage.Image):
        self.picture = picture.convert("RGB")
        self.width, self.height = self.picture.size

    def pixel(self, x: int, y: int) -> RGB:
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError("pixel (%d, %d) is outside the %dx%d picture" % (x, y, self.width, self.height))
        return self.picture.getpixel((x, y))

    def _box(self, box) -> list[RGB]:
        left, top, right, bottom = box
        clipped = (max(left, 0), max(top, 0), min(right, self.width), min(bottom, self.height))
        if clipped[0] >= clipped[2] or clipped[1] >= clipped[3]:
            return []
        return list(self.picture.crop(clipped).getdata())

    def count(self, box, predicate: Callable[[RGB], bool]) -> int:
        return sum(1 for colour in self._box(box) if predicate(colour))

    def colours(self, box) -> dict[RGB, int]:
        return dict(Counter(self._box(box)))

    def save_png(self, path: Path) -> Path:
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        self.picture.save(path, "PNG")
        return path

    @staticmethod
    def from_xwd(data: bytes) -> "Image":
        """Reads the ZPixmap true-colour dump that `xwd -root` writes for Xvfb."""
        fields = struct.unpack(">25I", data[:100])
        header_size, _, pixmap_format, depth, width, height = fields[:6]
        byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
        masks, colours = fields[14:17], fields[19]
        # Each pixel is blue, green, red (and a pad byte at 32 bits per pixel); lines may be padded.
        mode = {24: "BGR", 32: "BGRX"}.get(bits_per_pixel)
        if pixmap_format != 2 or depth != 24 or masks != (0xFF0000, 0xFF00, 0xFF) or byte_order != 0 or not mode:
            raise HarnessError("unexpected xwd format: %r" % (fields,))
        pixels = data[header_size + colours * 12 :]
        return Image(PILImage.frombuffer("RGB", (width, height), pixels, "raw", mode, bytes_per_line, 1))


def screenshot(display: str, log: Callable[[str], None] = lambda _: None) -> Image:
    """The whole screen of an X display."""
    # While Wine's taskbar appears or disappears, a dump of the root window
    # can fail once with BadMatch: try again a few times.
    for _ in range(4):
        dump = run(["xwd", "-root", "-silent", "-display", display], capture_output=True)
        if dump.returncode == 0:
            return Image.from_xwd(dump.stdout)
        log("xwd failed (%s): %s" % (dump.returncode, dump.stderr.decode(errors="replace").strip()[:200]))
    raise HarnessError("xwd could not dump the screen: %s" % dump.stderr.decode(errors="replace").strip())
