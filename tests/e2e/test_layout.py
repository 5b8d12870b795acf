#!/usr/bin/python3
"""First start in a fresh prefix and an empty working directory: the memo file,
the main window's placement, styles and controls, and its one uncovered patch."""

import harness
from harness import ids
from harness import WS_CAPTION, WS_EX_APPWINDOW, WS_EX_TOOLWINDOW, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_SYSMENU

COMBO, ADD, DELETE, CLEAR, CLOSE, SMALL = ids.MEMO_LIST, ids.ADD_BUTTON, ids.DELETE_BUTTON, ids.CLEAR_BUTTON, ids.CLOSE_BUTTON, ids.HIDE_BUTTON

# Control id -> (class, caption, x, y, width, height) in client pixels at 96 dpi.
BUTTONS = {
    ADD: ("Button", "加", 240, 0, 25, 20),
    DELETE: ("Button", "削", 264, 0, 25, 20),
    CLEAR: ("Button", "消", 288, 0, 25, 20),
    CLOSE: ("Button", "閉", 312, 0, 25, 20),
    SMALL: ("Button", "隠す", 0, 13, 9, 12),  # named for screen readers, drawn without a caption
}
# Each button's tooltip and a point to rest the pointer on (the hide button: its visible sliver).
TIPS = {SMALL: ("通知領域に隠す", (4, 16)), ADD: ("入力したメモを追加", (252, 10)), DELETE: ("選んだメモを削除", (276, 10)),
        CLEAR: ("全てのメモを削除", (300, 10)), CLOSE: ("位置を記憶して終了", (324, 10))}
# The hide button's sliver (client x 0-7, y 13-19) as it always looked: grey levels, row by row.
SLIVER = [[255] * 8, [255] + [227] * 6 + [166]] + [[255, 227] + [245] * 5 + [166]] * 5
DARK_BLUE = (0, 0, 128)


class FirstStart(harness.TestCase):
    def test_first_start(self):
        app = self.app
        self.assertFalse(app.memo_path.exists(), "the working directory should start empty")
        app.start()
        window = app.wait_main_window()

        with self.subTest("memo file"):
            memo = harness.wait_until(lambda: app.memo_path.exists() and app.memo_path, 10, "memo.txt to appear")
            self.assertEqual(memo.read_bytes(), b"", "memo.txt is created empty")
            self.assertEqual(sorted(p.name for p in app.workdir.iterdir()), ["memo.txt"],
                             "the program creates no other file in its working directory")

        with self.subTest("placement"):
            self.assertEqual(window.origin, (0, 0), "window rect %s should start at (0, 0)" % (window.rect,))
            self.assertEqual(window.client_origin, (0, 0), "client area %s should start at (0, 0)" % (window.client,))
            self.assertEqual(window.client_size, (336, 20), "client area %s" % (window.client,))

        with self.subTest("window styles"):
            self.assertTrue(window.topmost, "the main window is topmost (exstyle 0x%x)" % window.exstyle)
            self.assertNotEqual(window.style & WS_CAPTION, WS_CAPTION, "no title bar (style 0x%x)" % window.style)
            self.assertFalse(window.style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                             "no control menu, minimize or maximize box (style 0x%x)" % window.style)
            self.assertTrue(window.exstyle & WS_EX_TOOLWINDOW, "no taskbar button: WS_EX_TOOLWINDOW (0x%x)" % window.exstyle)
            self.assertFalse(window.exstyle & WS_EX_APPWINDOW, "no taskbar button: not WS_EX_APPWINDOW (0x%x)" % window.exstyle)
            self.assertEqual(window.title, "", "the window has no caption text")

        with self.subTest("combo box"):
            combo = app.control(window.hwnd, COMBO)
            self.assertEqual(combo.cls, "ComboBox")
            x, y, width, height = combo.rect
            self.assertEqual((x, y, width), (8, 0, 233), "combo box rect %s" % (combo.rect,))
            self.assertIn(height, range(20, 23), "combo box height %d, expected 20 to 22 (designed 21)" % height)
            self.assertTrue(combo.visible and combo.enabled)
            state = app.combo(window.hwnd, COMBO)
            self.assertEqual((state["text"], state["count"]), ("", 0), "the list starts empty with an empty memo file")

        for control_id, (cls, text, *rect) in BUTTONS.items():
            with self.subTest("button", id=control_id, text=text):
                control = app.control(window.hwnd, control_id)
                self.assertEqual((control.cls, control.text), (cls, text))
                self.assertEqual(control.rect, tuple(rect), "rect of button %d %r" % (control_id, text))
                self.assertTrue(control.visible and control.enabled)

        with self.subTest("uncovered patch"):
            # Only the window's own background shows at (2, 2): dark blue.
            shot = app.wait_pixel(2, 2, DARK_BLUE)
            shot.save_png(app.artifacts / "first-start.png")
            left, top = window.client_origin
            self.assertEqual(shot.colours((left, top, left + 8, top + 13)), {DARK_BLUE: 8 * 13},
                             "the whole 8x13 patch at the left end of the client area is dark blue")

        def sliver() -> list[list[tuple]]:
            shot = app.screenshot()
            return [[shot.pixel(left + x, top + 13 + y) for x in range(8)] for y in range(7)]

        looks = [[(grey,) * 3 for grey in row] for row in SLIVER]
        with self.subTest("hide button pixels"):
            self.assertEqual(sliver(), looks, "the hide button looks as it did before it had a name")
            app.set_text(window.hwnd, SMALL, "■■")  # a caption drawn would darken the sliver

        with self.subTest("tooltips"):
            for tip, (x, y) in TIPS.values():
                app.move_mouse(left + x, top + y)
                harness.wait_until(lambda: tip in [t.title for t in app.windows("tooltips_class32") if t.visible], 10,
                                   "the tooltip %r" % tip)

        with self.subTest("hide button draws no caption"):
            # A tip shows only after the strip painted what changed before it.
            self.assertEqual(sliver(), looks)

        with self.subTest("notification icon"):
            app.wait_tray_icons(1)


if __name__ == "__main__":
    harness.main()
