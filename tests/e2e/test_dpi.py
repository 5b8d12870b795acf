#!/usr/bin/python3
"""At 144 dpi the strip keeps its design, one and a half times as large: from
the start, and after moving to a monitor of 144 dpi and back (WM_DPICHANGED,
sent by the test since Wine has one density for all monitors)."""

import harness
from harness import ids
from harness import ABOUT_CLASS
from test_layout import BUTTONS

DARK_BLUE = (0, 0, 128)
COMBO, ADD, DELETE, CLEAR, CLOSE, SMALL = ids.MEMO_LIST, ids.ADD_BUTTON, ids.DELETE_BUTTON, ids.CLEAR_BUTTON, ids.CLOSE_BUTTON, ids.HIDE_BUTTON
OK, LABEL1, LABEL2, LABEL3 = ids.ABOUT_OK_BUTTON, ids.ABOUT_RIGHTS_LABEL, ids.ABOUT_VERSION_LABEL, ids.ABOUT_CONTACT_LABEL

# Client size and control rects (x, y, width, height) as the program opens at each density.
AT_96 = ((336, 20), {COMBO: (8, 0, 233, 21), **{i: tuple(b[2:]) for i, b in BUTTONS.items()}})
AT_144 = ((504, 30), {COMBO: (12, 0, 350, 32), ADD: (360, 0, 38, 30), DELETE: (396, 0, 38, 30),
                      CLEAR: (432, 0, 38, 30), CLOSE: (468, 0, 38, 30), SMALL: (0, 20, 14, 18)})
ABOUT_AT_144 = ((304, 201), {OK: (48, 144, 182, 50), LABEL1: (120, 72, 121, 26), LABEL2: (12, 24, 280, 34),
                             LABEL3: (24, 108, 264, 25)})


class HighDpi(harness.TestCase):
    def geometry(self, hwnd: int):
        """The window's client size and its controls' rects (the list's edit field left out)."""
        controls = {c.id: c.rect for c in self.app.controls(hwnd) if c.cls != "Edit"}
        return self.app.window(hwnd).client_size, controls

    def wait_window(self, hwnd: int, what: str, check) -> harness.Window:
        return harness.wait_until(lambda: (w := self.app.window(hwnd)) and check(w) and w, 10, what)

    def test_scaled_strip(self):
        app = self.app
        app.set_dpi(144)
        app.start()
        window = app.wait_main_window()
        self.assertEqual(app.screen_info()["dpi_x"], 144, "the prefix runs at 144 dpi (harness set-up)")
        self.assertEqual((window.origin, window.client_origin), ((0, 0), (0, 0)), "window rect %s" % (window.rect,))
        self.assertEqual(self.geometry(window.hwnd), AT_144)

        with self.subTest("uncovered patch"):
            shot = app.wait_pixel(2, 2, DARK_BLUE)
            shot.save_png(app.artifacts / "dpi144.png")
            # 8 x 13 design pixels: 12 x 19.5 here; the first 19 rows are surely uncovered.
            left, top = window.client_origin
            self.assertEqual(shot.colours((left, top, left + 12, top + 19)), {DARK_BLUE: 12 * 19},
                             "the 12x19 patch at the left end of the client area is dark blue")

    def test_moved_to_144_dpi_and_back(self):
        app = self.app
        app.set_stored_position("1500", "3000")
        app.start()
        window = app.wait_main_window()
        hwnd = window.hwnd
        app.wait_tray_icons(1)
        self.assertEqual((window.origin, self.geometry(hwnd)), ((100, 200), AT_96))

        with self.subTest("to 144 dpi"):
            app.dpi_changed(hwnd, 144, (100, 200, 604, 230))
            self.assertEqual((app.window(hwnd).origin, self.geometry(hwnd)), ((100, 200), AT_144))
            app.wait_pixel(100 + 11, 200 + 18, DARK_BLUE)

        with self.subTest("drag, hide and show at 144 dpi"):
            app.drag(106, 209, 156, 249)
            self.wait_window(hwnd, "the strip dragged to (150, 240)", lambda w: w.origin == (150, 240))
            app.click(156, 264)  # the hide button's sliver, 12 x 10 here
            self.wait_window(hwnd, "the strip to hide", lambda w: not w.visible)
            self.assertEqual(app.stored_position(), ("2250", "3600"), "twips at the system's 96 dpi")
            app.click(*app.tray_icon_centre(0))
            shown = self.wait_window(hwnd, "the strip to show", lambda w: w.visible)
            self.assertEqual((shown.rect, self.geometry(hwnd)), ((150, 240, 654, 270), AT_144))

        with self.subTest("back to 96 dpi"):
            app.dpi_changed(hwnd, 96, (150, 240, 486, 260))
            self.assertEqual((app.window(hwnd).origin, self.geometry(hwnd)), ((150, 240), AT_96))

        with self.subTest("the About window"):
            app.open_tray_menu()
            app.send_keys(hwnd, "Down", "Return")
            about = app.wait_window(ABOUT_CLASS, timeout=10)
            # Under Wine another process can see the frame's size of a moment ago.
            about = self.wait_window(about.hwnd, "the About window's frame around its client area",
                                     lambda w: w.rect[2] - w.rect[0] > w.client_size[0])
            before = self.geometry(about.hwnd)
            left, top, right, bottom = about.rect
            app.dpi_changed(about.hwnd, 144, (left, top, left + 310, top + 235))
            self.assertEqual(self.geometry(about.hwnd), ABOUT_AT_144)
            app.dpi_changed(about.hwnd, 96, (left, top, right, bottom))
            self.assertEqual((app.window(about.hwnd).rect, self.geometry(about.hwnd)), (about.rect, before))


if __name__ == "__main__":
    harness.main()
