#!/usr/bin/python3
"""The strip's life: where it opens, hiding it to the notification icon and
bringing it back, the icon's menu, ending the program by Exit or by the close
button, the end of the session, and the icon surviving a restart of the
shell."""

import time

import harness
from harness import ids
from harness import ABOUT_CLASS, MAIN_CLASS

COMBO, CLEAR, CLOSE = ids.MEMO_LIST, ids.CLEAR_BUTTON, ids.CLOSE_BUTTON
TIP = "タリニクス"
# Two memos as the program writes them: index, space, text, CR LF, in Shift-JIS.
MEMOS = ["牛乳を買う", "歯医者に電話"]
MEMO_BYTES = "".join("%03d %s\r\n" % (i, text) for i, text in enumerate(MEMOS)).encode("cp932")

# Points on the window, relative to its top-left corner: the uncovered
# dark-blue patch (client 0..7 x 0..12) to grab it by, the visible sliver of
# the hide button (client 0..8 x 13..19, the rest lies under the list or
# past the window's bottom) and the middle of the close button 閉.
GRIP = (4, 6)
HIDE_SLIVER = (4, 16)
CLOSE_MIDDLE = (324, 10)


def at(window: harness.Window, point: tuple[int, int]) -> tuple[int, int]:
    return window.origin[0] + point[0], window.origin[1] + point[1]


class WindowLife(harness.TestCase):
    # ---- helpers

    def seed_memo_file(self):
        self.app.memo_path.write_bytes(MEMO_BYTES)

    def start_with_memos(self) -> harness.Window:
        """Starts the program on the seeded memo file; returns its strip once the list is filled."""
        self.seed_memo_file()
        self.app.start()
        window = self.app.wait_main_window()
        self.app.wait_tray_icons(1)
        self.wait_list_filled(window)
        return window

    def wait_list_filled(self, window: harness.Window) -> dict:
        """The list fills from memo.txt when it first takes the focus."""
        return harness.wait_until(
            lambda: (state := self.app.combo(window.hwnd, COMBO))["items"] == MEMOS and state,
            10, "the list to hold the memos of memo.txt")

    def wait_window_state(self, hwnd: int, what: str, check) -> harness.Window:
        """Waits until the window `hwnd` exists and check(window) holds."""
        return harness.wait_until(lambda: (w := self.app.window(hwnd)) is not None and check(w) and w, 10, what)

    def drag_by(self, window: harness.Window, dx: int, dy: int) -> harness.Window:
        """A real drag on the window's uncovered patch; returns the window once it has moved."""
        x, y = at(window, GRIP)
        self.app.drag(x, y, x + dx, y + dy)
        wanted = (window.origin[0] + dx, window.origin[1] + dy)
        return self.wait_window_state(window.hwnd, "the window to be dragged to %s" % (wanted,),
                                      lambda w: w.origin == wanted)

    def icon_tips(self) -> list[str]:
        """The icon's tip: Wine's taskbar shows it in a tooltip window of its own whose text another
        process can read."""
        app = self.app
        x, y = app.tray_icon_centre(0)
        app.move_mouse(x - 3, y)
        app.move_mouse(x, y)
        # Under load the tip can show for a moment before its text is set.
        return harness.wait_until(lambda: [t.title for t in app.windows("tooltips_class32") if t.visible and t.title],
                                  5, "the icon's tooltip with its text")

    def program_message_boxes(self, pid: int) -> list[harness.Window]:
        return [w for w in self.app.windows("#32770") if w.pid == pid]

    # ---- tests

    def test_first_start_opens_at_the_top_left_with_one_icon(self):
        app = self.app
        app.start()
        window = app.wait_main_window()
        self.assertEqual(window.origin, (0, 0), "window rect %s" % (window.rect,))
        self.assertTrue(window.topmost, "topmost (exstyle 0x%x)" % window.exstyle)
        app.wait_tray_icons(1)
        self.assertEqual(app.stored_position(), (None, None), "starting stores no position")

        with self.subTest("tooltip"):
            self.assertEqual(self.icon_tips(), [TIP])

    def test_on_a_western_windows(self):
        # Katakana have no bytes in code page 1252; the list (Shift-JIS memo.txt), the buttons and the
        # messages use the wide-character API.
        app = self.app
        app.set_locale("C.UTF-8")
        window = self.start_with_memos()
        self.assertEqual(app.screen_info()["acp"], 1252, "Wine's ANSI code page under C.UTF-8 (harness set-up)")
        self.assertEqual(self.icon_tips(), [TIP])
        self.assertEqual([app.control(window.hwnd, i).text for i in (ids.ADD_BUTTON, ids.DELETE_BUTTON, CLEAR, CLOSE)],
                         ["加", "削", "消", "閉"])
        app.set_text(window.hwnd, COMBO, "メモ😀")
        app.post_click(window.hwnd, ids.ADD_BUTTON)
        self.assertIn("😀", app.wait_message_box(TIP)["text"], "the character that Shift-JIS cannot store")
        app.press_message_box(TIP, harness.IDOK)
        app.post_click(window.hwnd, CLEAR)
        self.assertEqual(app.wait_message_box("確認")["text"], "本当に全てを削除しますか？")
        app.press_message_box("確認", harness.IDCANCEL)
        harness.wait_until(lambda: not self.program_message_boxes(window.pid), 10, "the question to close")
        self.assertEqual(app.memo_path.read_bytes(), MEMO_BYTES, "memo.txt untouched")

    def test_stored_positions(self):
        # Each start reads Left and Top (twips, REG_SZ): one prefix, the program started once per row.
        app = self.app
        cases = [
            # (Left, Top, expected origin, what)
            ("1500", "3000", (100, 200), "a stored position on screen"),
            ("300000", "1500", (688, 100), "far right of every monitor: all of it back, at the same height"),
            ("abc", "", (0, 0), "texts that are no numbers count as 0"),
            ("-4950", "1500", (0, 100), "the drag margin off screen: pulled back, at the same height"),
            ("14250", "10875", (950, 725), "the drag margin on screen: kept, however much of the strip is not"),
        ]
        for left, top, origin, what in cases:
            with self.subTest(what, left=left, top=top):
                app.set_stored_position(left, top)
                app.start()
                try:
                    window = app.wait_main_window()
                    self.assertEqual(window.origin, origin, "window rect %s" % (window.rect,))
                    self.assertTrue(window.topmost)
                    self.assertEqual(self.program_message_boxes(window.pid), [], "no error box")
                    self.assertTrue(app.process_alive(window.pid), "the program goes on running")
                    self.assertEqual(app.stored_position(), (left, top), "the stored texts stay until the next save")
                finally:
                    app.kill_program()  # stores nothing

    def test_hide_and_show_again_from_the_icon(self):
        app = self.app
        window = self.start_with_memos()
        window = self.drag_by(window, 200, 300)
        app.set_text(window.hwnd, COMBO, "書きかけのメモ")

        # A real click on the hide button's visible sliver.
        app.click(*at(window, HIDE_SLIVER))
        self.wait_window_state(window.hwnd, "the window to be hidden", lambda w: not w.visible)
        self.assertEqual(app.stored_position(), ("3000", "4500"), "hiding stores the position (twips)")
        app.wait_tray_icons(1)
        self.assertTrue(app.process_alive(window.pid))

        # Another memo in the file while hidden: showing the window again
        # brings the list up to date and keeps the half-typed memo.
        with open(app.memo_path, "ab") as memo:
            memo.write("002 追加\r\n".encode("cp932"))

        app.click(*app.tray_icon_centre(0), button=1)
        shown = self.wait_window_state(window.hwnd, "the window to be shown again", lambda w: w.visible)
        self.assertEqual(shown.rect, window.rect, "shown where it was hidden")
        self.assertTrue(shown.topmost, "still topmost (exstyle 0x%x)" % shown.exstyle)
        self.assertEqual([w.hwnd for w in app.windows(MAIN_CLASS)], [window.hwnd], "the same, single main window")
        harness.wait_until(lambda: (lambda s: (s["items"], s["text"]))(app.combo(window.hwnd, COMBO))
                           == (MEMOS + ["追加"], "書きかけのメモ"), 10,
                           "the list to show memo.txt and keep its edit text")
        app.wait_tray_icons(1)

        # The icon's menu, closed again with Escape, changes nothing.
        app.screenshot("before-menu")
        self.app.open_tray_menu()
        app.screenshot("tray-menu")
        app.send_keys(window.hwnd, "Escape")
        harness.wait_until(lambda: not app.popup_menus(), 5, "the menu to close")
        after = app.window(window.hwnd)
        self.assertEqual((after.rect, after.visible, after.topmost), (shown.rect, True, True))
        self.assertEqual(app.windows(ABOUT_CLASS), [], "no About window")
        self.assertTrue(app.process_alive(window.pid))
        app.wait_tray_icons(1)
        self.assertEqual(app.stored_position(), ("3000", "4500"), "the stored position did not change")
        self.assertEqual(app.combo(window.hwnd, COMBO)["text"], "書きかけのメモ")

        # A right click as the shell reports it (button down, up, then the menu
        # key's event), all queued before the strip handles the first: one menu.
        app.icon_event(window.hwnd, 0x204, 0x205, harness.WM_CONTEXTMENU)
        harness.wait_until(app.popup_menus, 5, "the icon's menu")
        app.send_keys(window.hwnd, "Escape")
        harness.wait_until(lambda: not app.popup_menus(), 5, "the menu to close")
        app.combo(window.hwnd, COMBO)  # the strip answers once it has handled every event
        self.assertEqual(app.popup_menus(), [], "the right click's menu opened once")

    def test_exit_from_the_tray_menu(self):
        app = self.app
        window = self.start_with_memos()
        window = self.drag_by(window, 300, 400)
        self.assertEqual(app.stored_position(), (None, None), "a drag stores nothing")

        self.app.open_tray_menu()
        # The menu: About, a separator, Exit. The first Down selects About,
        # the second skips the separator to Exit.
        app.send_keys(window.hwnd, "Down", "Down", "Return")
        harness.wait_until(lambda: not app.process_alive(window.pid) or app.windows(ABOUT_CLASS), 10,
                           "the program to end (or the About window to open)")
        self.assertEqual(app.windows(ABOUT_CLASS), [], "Exit was chosen, not About")
        app.wait_exit()
        app.wait_tray_icons(0)
        self.assertEqual(app.stored_position(), ("4500", "6000"), "Exit stores the dragged position")
        self.assertEqual(app.memo_path.read_bytes(), MEMO_BYTES, "memo.txt untouched")

    def test_close_button(self):
        app = self.app
        window = self.start_with_memos()
        window = self.drag_by(window, 120, 240)
        self.assertEqual(app.stored_position(), (None, None), "a drag stores nothing")

        app.click(*at(window, CLOSE_MIDDLE))
        app.wait_exit()
        app.wait_tray_icons(0)
        self.assertEqual(app.stored_position(), ("1800", "3600"), "closing stores the dragged position")
        self.assertEqual(app.memo_path.read_bytes(), MEMO_BYTES, "memo.txt untouched")

    def end_session_after_a_drag(self, end, asking=False):
        """Drags the strip (asking the clear question too) and lets end(window) end the session: the
        dragged place is stored as the close button stores it, and nothing is cleared."""
        app = self.app
        window = self.drag_by(self.start_with_memos(), 200, 300)
        if asking:
            app.post_click(window.hwnd, CLEAR)
            app.wait_message_box("確認")
        end(window)
        app.wait_exit()
        self.assertEqual(app.stored_position(), ("3000", "4500"), "the dragged place, in twips")
        self.assertEqual(app.memo_path.read_bytes(), MEMO_BYTES, "memo.txt untouched")

    def test_signing_out_keeps_the_dragged_place(self):
        self.end_session_after_a_drag(lambda window: self.app.end_session())

    def test_signing_out_with_the_clear_question_open(self):
        self.end_session_after_a_drag(lambda window: self.app.end_session(), asking=True)

    def test_an_installer_closes_the_program(self):
        self.end_session_after_a_drag(lambda window: self.assertTrue(self.app.close_for_installer(window.hwnd)))

    def test_icon_comes_back_after_a_shell_restart(self):
        app = self.app
        app.start()
        window = app.wait_main_window()
        app.wait_tray_icons(1)
        app.click(*at(window, HIDE_SLIVER))
        self.wait_window_state(window.hwnd, "the window to be hidden", lambda w: not w.visible)

        # The shell forgets the icon and announces that it has started anew.
        self.assertTrue(app.delete_tray_icon(window.hwnd, 1), "the shell knew the program's icon (hwnd, 1)")
        app.wait_tray_icons(0)
        app.broadcast("TaskbarCreated")
        app.wait_tray_icons(1)

        app.click(*app.tray_icon_centre(0), button=1)
        shown = self.wait_window_state(window.hwnd, "the window to be shown from the new icon", lambda w: w.visible)
        self.assertEqual(shown.rect, window.rect)
        self.assertTrue(shown.topmost)
        app.wait_tray_icons(1)
        app.record_fault("the shell restarts while the strip is hidden",
                         "the icon comes back by itself; a left click on it shows the strip where it was",
                         b"")


    def test_exit_while_the_clear_question_is_open(self):
        app = self.app
        window = self.start_with_memos()
        app.post_click(window.hwnd, CLEAR)
        app.wait_message_box("確認")

        app.open_tray_menu()
        app.send_keys(window.hwnd, "Down", "Down", "Return")  # Exit
        app.wait_exit()  # exit code 0: the open question did not keep it from ending cleanly
        self.assertEqual(app.memo_path.read_bytes(), MEMO_BYTES, "the pending clear never ran")

    def test_the_icon_leaves_the_keyboard_with_another_program(self):
        app = self.app
        window = self.start_with_memos()
        # Another program in the foreground, the user typing in it.
        editor = app.start_notepad()
        in_front = lambda: app.focus(editor.hwnd)["foreground"] == editor.hwnd
        app.send_keys(editor.hwnd, "text:abc")
        harness.wait_until(in_front, 10, "Notepad in front")
        # And on top of the strip, as an activated taskbar covers a strip parked over it.
        app.put_on_top(editor.hwnd)
        above = lambda: (lambda z: z[window.hwnd] < z[editor.hwnd])({w.hwnd: w.z for w in app.windows()})
        self.assertFalse(above(), "Notepad covers the strip")

        app.click(*app.tray_icon_centre(0), button=1)
        harness.wait_until(above, 5, "the strip back on top of Notepad")
        # The strip would take the foreground within a few hundred
        # milliseconds; it must not take it at all.
        deadline = time.monotonic() + 2
        while time.monotonic() < deadline:
            self.assertEqual(app.focus(editor.hwnd)["foreground"], editor.hwnd, "Notepad keeps the foreground")
        self.assertTrue(app.window(window.hwnd).visible)

        # Enter on the icon is the keyboard's way to the strip: it takes the
        # foreground, and the text being typed stays.
        app.set_text(window.hwnd, COMBO, "書きかけ")
        app.icon_event(window.hwnd, harness.NIN_KEYSELECT)
        harness.wait_until(lambda: (f := app.focus(window.hwnd))["foreground"] == window.hwnd
                           and f["focus_class"] == "Edit", 10, "the strip in front, typing into its list")
        self.assertEqual(app.combo(window.hwnd, COMBO)["text"], "書きかけ")

        # The menu of a hidden strip, dismissed with Escape, gives the keyboard
        # back to the program that had it, not to the hidden strip. (Wine draws
        # Notepad over the strip and sends it the strip's clicks: hide by the
        # button's own message.)
        app.click_button(window.hwnd, ids.HIDE_BUTTON)
        self.wait_window_state(window.hwnd, "the window to be hidden", lambda w: not w.visible)
        app.send_keys(editor.hwnd, "text:d")
        harness.wait_until(in_front, 10, "Notepad in front")
        app.open_tray_menu()
        app.send_keys(window.hwnd, "Escape")
        harness.wait_until(lambda: not app.popup_menus(), 5, "the menu to close")
        harness.wait_until(in_front, 5, "Notepad in front again")

    def test_hide_works_after_a_shell_restart_that_kept_the_icon(self):
        app = self.app
        app.start()
        window = app.wait_main_window()
        app.wait_tray_icons(1)
        # The shell announces a restart but still holds the icon: adding it
        # again fails, and the strip must take the existing one over.
        app.broadcast("TaskbarCreated")
        app.click(*at(window, HIDE_SLIVER))
        self.wait_window_state(window.hwnd, "the window to be hidden", lambda w: not w.visible)
        app.wait_tray_icons(1)
        app.click(*app.tray_icon_centre(0), button=1)
        self.wait_window_state(window.hwnd, "the window to be shown from the icon", lambda w: w.visible)


if __name__ == "__main__":
    harness.main()
