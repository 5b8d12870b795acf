#!/usr/bin/python3
"""The close button ends the program."""

import harness
from harness import ids

CLOSE = ids.CLOSE_BUTTON


class CloseButton(harness.TestCase):
    def test_close_ends_the_program(self):
        app = self.app
        app.start()
        window = app.wait_main_window()
        app.wait_tray_icons(1)
        self.assertTrue(app.process_alive(window.pid), "the program runs before the click")
        self.assertTrue(app.program_processes(), "the program's Unix process is visible before the click")

        app.post_click(window.hwnd, CLOSE)

        app.wait_exit()
        self.assertEqual(app.windows(harness.MAIN_CLASS), [], "no main window is left")
        app.wait_tray_icons(0)

        with self.subTest("memo file untouched"):
            self.assertEqual(app.memo_path.read_bytes(), b"")

        with self.subTest("position stored"):
            self.assertEqual(app.stored_position(), ("0", "0"), "Left and Top in twips after closing at (0, 0)")


if __name__ == "__main__":
    harness.main()
