#!/usr/bin/python3
"""At 144 dpi the strip keeps its design, one and a half times as large."""

import harness
from harness import ids

DARK_BLUE = (0, 0, 128)
CLOSE, ADD, DELETE, CLEAR, SMALL = ids.CLOSE_BUTTON, ids.ADD_BUTTON, ids.DELETE_BUTTON, ids.CLEAR_BUTTON, ids.HIDE_BUTTON


def scaled(value: int) -> set[int]:
    """The pixel values a design figure may take at 144 dpi (x1.5, a half rounded either way)."""
    return {value * 3 // 2, (value * 3 + 1) // 2}


class HighDpi(harness.TestCase):
    def test_scaled_strip(self):
        app = self.app
        app.set_dpi(144)
        app.start()
        window = app.wait_main_window()
        self.assertEqual(app.screen_info()["dpi_x"], 144, "the prefix runs at 144 dpi (harness set-up)")

        with self.subTest("client area"):
            self.assertEqual(window.origin, (0, 0), "window rect %s" % (window.rect,))
            self.assertEqual(window.client_origin, (0, 0), "client area %s" % (window.client,))
            self.assertEqual(window.client_size, (504, 30), "client area %s" % (window.client,))

        for control_id, x in ((ADD, 240), (DELETE, 264), (CLEAR, 288), (CLOSE, 312)):
            with self.subTest("button", id=control_id):
                cx, cy, width, height = app.control(window.hwnd, control_id).rect
                self.assertEqual((cx, cy, height), (x * 3 // 2, 0, 30), "button %d at (%d, %d), %d high" % (control_id, cx, cy, height))
                self.assertIn(width, scaled(25), "button %d width" % control_id)

        with self.subTest("hide button"):
            x, y, width, height = app.control(window.hwnd, SMALL).rect
            self.assertEqual((x, height), (0, 18), "hide button rect %s" % ((x, y, width, height),))
            self.assertIn(y, scaled(13))
            self.assertIn(width, scaled(9))

        with self.subTest("uncovered patch"):
            shot = app.wait_pixel(2, 2, DARK_BLUE)
            shot.save_png(app.artifacts / "dpi144.png")
            # 8 x 13 design pixels: 12 x 19.5 here; the first 19 rows are surely uncovered.
            left, top = window.client_origin
            self.assertEqual(shot.colours((left, top, left + 12, top + 19)), {DARK_BLUE: 12 * 19},
                             "the 12x19 patch at the left end of the client area is dark blue")


if __name__ == "__main__":
    harness.main()
