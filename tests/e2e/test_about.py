#!/usr/bin/python3
"""The About window, reached from the notification icon's menu: it replaces
the strip and its icon while open; OK brings a fresh strip back at the stored
position; closing it any other way ends the program."""

import harness
from harness import ids
from harness import ABOUT_CLASS, MAIN_CLASS

COMBO = ids.MEMO_LIST
OK, LABEL1, LABEL2, LABEL3 = ids.ABOUT_OK_BUTTON, ids.ABOUT_RIGHTS_LABEL, ids.ABOUT_VERSION_LABEL, ids.ABOUT_CONTACT_LABEL
LABEL_TEXTS = {LABEL2: "タリニクス Ver3.13", LABEL1: "フリーソフト", LABEL3: "tallynix@example.com"}
MEMOS = ["牛乳を買う", "歯医者に電話"]
MEMO_BYTES = "".join("%03d %s\r\n" % (i, text) for i, text in enumerate(MEMOS)).encode("cp932")
GRIP = (4, 6)  # on the strip's uncovered dark-blue patch


class About(harness.TestCase):
    # ---- helpers

    def start_strip(self) -> harness.Window:
        """Seeds memo.txt, starts the program and waits for its strip, its icon and its filled list."""
        app = self.app
        app.memo_path.write_bytes(MEMO_BYTES)
        app.start()
        window = app.wait_main_window()
        app.wait_tray_icons(1)
        self.wait_list_filled(window)
        return window

    def wait_list_filled(self, window: harness.Window):
        harness.wait_until(lambda: self.app.combo(window.hwnd, COMBO)["items"] == MEMOS, 10,
                           "the list to hold the memos of memo.txt")

    def open_about_by_keyboard(self, strip: harness.Window) -> harness.Window:
        """Right click on the icon, then Down and Return: the first item, About."""
        self.app.open_tray_menu()
        self.app.send_keys(strip.hwnd, "Down", "Return")
        return self.wait_about_instead_of_strip()

    def open_about_by_menu_key(self, strip: harness.Window) -> harness.Window:
        """The menu key on the icon opens the menu once, on its first item, About: Return picks it."""
        self.app.icon_event(strip.hwnd, harness.WM_CONTEXTMENU)
        harness.wait_until(self.app.popup_menus, 5, "the icon's menu")
        self.app.combo(strip.hwnd, COMBO)  # the strip answers once it has handled the event
        self.assertEqual(len(self.app.popup_menus()), 1, "one menu")
        self.app.send_keys(strip.hwnd, "Return")
        return self.wait_about_instead_of_strip()

    def wait_about_instead_of_strip(self) -> harness.Window:
        app = self.app
        about = app.wait_window(ABOUT_CLASS, timeout=10)
        harness.wait_until(lambda: not app.windows(MAIN_CLASS), 10, "the strip to be unloaded (no Form1 window)")
        app.wait_tray_icons(0)
        return about

    def click_ok(self, about: harness.Window):
        """A real click in the middle of the OK button."""
        x, y, width, height = self.app.control(about.hwnd, OK).rect
        left, top = about.client_origin
        self.app.click(left + x + width // 2, top + y + height // 2)

    def wait_strip_back(self) -> harness.Window:
        app = self.app
        harness.wait_until(lambda: not app.windows(ABOUT_CLASS), 10, "the About window to go away")
        strip = app.wait_main_window(timeout=10)
        self.assertEqual(len(app.windows(MAIN_CLASS)), 1, "exactly one strip window")
        app.wait_tray_icons(1)
        # The fresh strip has finished showing once it holds the foreground
        # and the focus; a click on the icon before that can be lost.
        harness.wait_until(lambda: app.focus(strip.hwnd)["foreground"] == strip.hwnd
                           and app.focus(strip.hwnd)["focus_id"] != 0, 10,
                           "the strip to take the foreground and the focus")
        return strip

    def drag_by(self, window: harness.Window, dx: int, dy: int) -> harness.Window:
        x, y = window.origin[0] + GRIP[0], window.origin[1] + GRIP[1]
        self.app.drag(x, y, x + dx, y + dy)
        wanted = (window.origin[0] + dx, window.origin[1] + dy)
        return harness.wait_until(lambda: (w := self.app.window(window.hwnd)) and w.origin == wanted and w, 10,
                                  "the strip to be dragged to %s" % (wanted,))

    # ---- tests

    def test_about_replaces_the_strip_until_ok(self):
        app = self.app
        app.set_stored_position("1500", "3000")
        strip = self.start_strip()
        self.assertEqual(strip.origin, (100, 200))
        strip = self.drag_by(strip, 300, 300)

        # A real click on the menu's first item, タリニクスについて.
        menu = self.app.open_tray_menu()
        app.click(menu.rect[0] + 40, menu.rect[1] + 10)
        about = self.wait_about_instead_of_strip()

        with self.subTest("OK has the focus"):
            focus = harness.wait_until(lambda: (f := app.focus(about.hwnd))["focus_id"] == OK and f, 5,
                                       "the OK button to take the focus")
            self.assertEqual(focus["focus_class"], "Button")

        with self.subTest("texts inside the window"):
            shot = app.screenshot("about")
            width, height = about.client_size
            # 188 x 134 as designed; wider only where the font draws the texts wider.
            self.assertEqual(height, 134, "client area %s" % (about.client,))
            self.assertGreaterEqual(width, 188, "client area %s" % (about.client,))
            left, top, right, bottom = about.rect
            self.assertTrue(0 <= left and 0 <= top and right <= 1024 and bottom <= 768,
                            "the whole window is on the screen: %s" % (about.rect,))
            controls = {c.id: c for c in app.controls(about.hwnd)}
            self.assertEqual(sorted(controls), [OK, LABEL1, LABEL2, LABEL3])
            self.assertEqual(controls[OK].text, "OK")
            for control_id, text in LABEL_TEXTS.items():
                self.assertEqual(controls[control_id].text, text)
            background = shot.pixel(about.client[0] + 2, about.client[1] + 2)
            outside, blank = [], []
            for control_id, control in sorted(controls.items()):
                x, y, w, h = control.rect
                self.assertTrue(control.visible, "control %d is visible" % control_id)
                if not (x >= 0 and y >= 0 and x + w <= width and y + h <= height):
                    outside.append("%d %r at %s" % (control_id, control.text, control.rect))
                box = (about.client[0] + x, about.client[1] + y, about.client[0] + x + w, about.client[1] + y + h)
                if shot.count(box, lambda c: c != background) < 20:
                    blank.append("%d %r" % (control_id, control.text))
            self.assertEqual(blank, [], "every control shows its text")
            right_edge = (about.client[2] - 4, about.client[1], about.client[2], about.client[3])
            self.assertEqual(shot.count(right_edge, lambda c: c != background), 0,
                             "no text reaches the window's right edge")
            self.assertEqual(outside, [], "controls (x, y, width, height) reaching past the %dx%d client area"
                             % (width, height))

        # Away to another program and back by a click on About's title bar:
        # Enter still presses OK.
        editor = app.start_notepad()
        app.click((editor.client[0] + editor.client[2]) // 2, (editor.client[1] + editor.client[3]) // 2)
        harness.wait_until(lambda: app.focus(about.hwnd)["foreground"] == editor.hwnd, 10, "Notepad in front")
        title_bar = (about.rect[2] - 40, (about.rect[1] + about.client[1]) // 2)
        self.assertEqual(app.probe.call("window-at", *title_bar)["hwnd"], about.hwnd, "About's title bar in view")
        app.click(*title_bar)
        harness.wait_until(lambda: app.focus(about.hwnd)["foreground"] == about.hwnd, 10, "About in front again")
        app.send_keys(about.hwnd, "Return")
        strip = self.wait_strip_back()
        self.assertEqual(strip.origin, (100, 200), "back at the stored position, not where it was dragged")
        self.assertTrue(strip.topmost)
        self.wait_list_filled(strip)
        self.assertEqual(app.stored_position(), ("1500", "3000"), "neither the drag nor About stored anything")
        self.assertEqual(app.memo_path.read_bytes(), MEMO_BYTES)

    def test_five_rounds_of_about_and_ok(self):
        app = self.app
        strip = self.start_strip()
        pid = strip.pid
        for round_number in range(1, 6):
            about = (self.open_about_by_keyboard, self.open_about_by_menu_key)[round_number % 2](strip)
            self.click_ok(about)
            strip = self.wait_strip_back()
            self.assertEqual(strip.pid, pid, "round %d: the same process" % round_number)
        self.wait_list_filled(strip)
        self.assertEqual(len(app.program_processes()), 1, "one program process")

    def test_closing_about_ends_the_program(self):
        app = self.app
        app.set_stored_position("1500", "3000")
        strip = self.start_strip()
        strip = self.drag_by(strip, 200, 100)
        about = self.open_about_by_keyboard(strip)

        app.close_window(about.hwnd)
        app.wait_exit()
        self.assertEqual(app.windows(MAIN_CLASS) + app.windows(ABOUT_CLASS), [], "no window of the program is left")
        app.wait_tray_icons(0)
        self.assertEqual(app.memo_path.read_bytes(), MEMO_BYTES, "memo.txt unchanged")
        self.assertEqual(app.stored_position(), ("1500", "3000"), "the stored position unchanged")


if __name__ == "__main__":
    harness.main()
