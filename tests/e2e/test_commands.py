#!/usr/bin/python3
"""The memo commands on the real program: add, delete, clear all, the list's
refill and the memo file's bytes after each of them.

The buttons and the list are pressed with real clicks at their places on the
screen. Only what a mouse cannot carry goes through window messages: Japanese
text into the list's edit field (WM_SETTEXT) and picking an item of the list
(CB_SETCURSEL with CBN_SELCHANGE, as the drop-down does).

A real click gives no sign that its handler has run. Where a command must be
shown to do nothing, a second, later input whose effect can be seen (a click
into the list, which takes the focus and refills the list from the file)
marks the point by which the first one has been handled: the program handles
its input in order.
"""

from __future__ import annotations

import harness
from harness import ids

COMBO, ADD, DELETE, CLEAR, CLOSE, SMALL = ids.MEMO_LIST, ids.ADD_BUTTON, ids.DELETE_BUTTON, ids.CLEAR_BUTTON, ids.CLOSE_BUTTON, ids.HIDE_BUTTON
CONFIRM_TITLE = "確認"
CONFIRM_TEXT = "本当に全てを削除しますか？"
PROGRAM_TITLE = "タリニクス"
PIXEL_TWIPS = 15  # at 96 dpi


memo_file, wait_file = harness.memo_file, harness.wait_file


def line(index: int, text: str) -> bytes:
    return b"%03d " % index + text.encode("cp932") + b"\r\n"


class Strip(harness.Strip):
    """The running strip as a person sees it, with the focus moves of the memo commands."""

    def wait_list(self, items: list[str], text: str = "", timeout: float = 10) -> dict:
        """Waits until the list holds exactly these items and the edit field this text."""
        seen = []

        def holds():
            seen[:] = [self.state()]
            return seen[0] if (seen[0]["items"], seen[0]["text"]) == (items, text) else None

        try:
            return harness.wait_until(holds, timeout, "the list")
        except AssertionError:
            self.test.fail("the list holds %r with %r in its edit field, expected %r with %r"
                           % (seen[0]["items"], seen[0]["text"], items, text))

    def edit_field(self) -> int:
        """The list's edit field, which holds the focus: keys sent there need no focus change
        (moving the focus into the list would refill it)."""
        focus = self.app.focus(self.hwnd)
        self.test.assertEqual(focus["focus_class"], "Edit", "the focus is in the list's edit field")
        return focus["focus"]

    def focus_class(self) -> str:
        return self.app.focus(self.hwnd)["focus_class"]

    def focus_id(self) -> int:
        return self.app.focus(self.hwnd)["focus_id"]

    def refill(self, items: list[str], after: int | None = None):
        """Clicks into the list, which takes the focus and refills from the memo file.

        `after`: the button that held the focus until now; waiting for it
        first makes sure this click is not taken for an earlier one's effect.
        """
        if after is not None:
            harness.wait_until(lambda: self.focus_id() == after, 10, "button %d to take the focus" % after)
        self.press(COMBO)
        harness.wait_until(lambda: self.focus_class() == "Edit", 10, "the list's edit field to take the focus")
        return self.wait_list(items)

    def type_text(self, text: str):
        """Puts a text into the list's edit field, as typed (WM_SETTEXT carries any character)."""
        self.app.set_text(self.hwnd, COMBO, text)
        self.test.assertEqual(self.state()["text"], text, "the edit field holds the text to store")


class Commands(harness.TestCase):
    def start(self, memo: bytes | None = None, items: list[str] | None = None) -> Strip:
        """Starts the program on this memo file and waits until the list has filled from it."""
        if memo is not None:
            self.app.memo_path.write_bytes(memo)
        self.app.start()
        strip = Strip(self, self.app.wait_main_window())
        strip.wait_list(items or [])
        self.assertEqual(strip.focus_class(), "Edit", "a freshly shown strip has the focus in its list")
        return strip

    # ------------------------------------------------------------------ add

    def test_add(self):
        app = self.app
        strip = self.start()
        wait_file(self, b"")

        with self.subTest("ASCII, typed"):
            app.send_keys(strip.edit_field(), "text:first memo")
            harness.wait_until(lambda: strip.state()["text"] == "first memo", 10, "the typed text in the edit field")
            strip.press(ADD)
            wait_file(self, memo_file("first memo"))
            strip.wait_list([])  # emptied, the new memo not shown until the next refill
            strip.refill(["first memo"], after=ADD)

        with self.subTest("Japanese, in code page 932"):
            strip.type_text("日本語のメモ")
            strip.press(ADD)
            wait_file(self, memo_file("first memo") + b"001 \x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x81\x83\x82\r\n")
            strip.wait_list([])
            strip.refill(["first memo", "日本語のメモ"], after=ADD)

        with self.subTest("leading and trailing spaces kept"):
            strip.type_text("  padded memo  ")
            strip.press(ADD)
            wait_file(self, memo_file("first memo", "日本語のメモ", "  padded memo  "))
            strip.wait_list([])
            strip.refill(["first memo", "日本語のメモ", "  padded memo  "], after=ADD)

        with self.subTest("a text of spaces is stored"):
            strip.type_text("   ")
            strip.press(ADD)
            wait_file(self, memo_file("first memo", "日本語のメモ", "  padded memo  ", "   "))
            strip.wait_list([])
            strip.refill(["first memo", "日本語のメモ", "  padded memo  ", "   "], after=ADD)

        four = memo_file("first memo", "日本語のメモ", "  padded memo  ", "   ")
        with self.subTest("an empty text does nothing"):
            self.assertEqual(strip.state()["text"], "", "the refill left the edit field empty")
            strip.press(ADD)
            # The list refills only from the file: had the press stored
            # anything, the refill would show it.
            strip.refill(["first memo", "日本語のメモ", "  padded memo  ", "   "], after=ADD)
            self.assertEqual(app.memo_path.read_bytes(), four, "memo.txt is unchanged")

        with self.subTest("the number is the file's memo count, not the list's item count"):
            strip.type_text("fifth")
            strip.press(ADD)
            wait_file(self, four + line(4, "fifth"))
            strip.wait_list([])
            # The list is empty until the next refill; the file decides the number.
            strip.type_text("sixth")
            strip.press(ADD)
            wait_file(self, four + line(4, "fifth") + line(5, "sixth"))
            strip.wait_list([])

    def test_unstorable_text_is_refused_and_kept(self):
        app = self.app
        strip = self.start(memo_file("kept"), ["kept"])
        text = "メモ😀"
        strip.type_text(text)
        strip.press(ADD)

        box = app.wait_message_box(PROGRAM_TITLE)
        self.assertIn("保存できない", box["text"], "the message says the text cannot be stored")
        # Notepad's plain "UTF-8" gives a file of ASCII the same bytes: only the mark tells.
        self.assertIn("「UTF-8 (BOM 付き)」", box["text"], "the message names the encoding that stores it")
        self.assertEqual(app.memo_path.read_bytes(), memo_file("kept"), "memo.txt is unchanged")
        self.assertEqual([b["id"] for b in box["buttons"]], [harness.IDOK])

        # Dismissed with a real click on its OK button.
        box_window = harness.Window.from_json(box["window"])
        x, y, width, height = app.control(box_window.hwnd, harness.IDOK).rect
        app.click(box_window.client[0] + x + width // 2, box_window.client[1] + y + height // 2)
        harness.wait_until(lambda: app.message_box(PROGRAM_TITLE) is None, 10, "the message box to close")

        self.assertEqual(strip.state()["text"], text, "the edit field still holds the refused text")
        self.assertEqual(app.memo_path.read_bytes(), memo_file("kept"), "memo.txt is unchanged")
        self.assertEqual(app.main_window().hwnd, strip.hwnd, "the same window, not reloaded")

    # ------------------------------------------------------------------ delete

    def test_delete_rewrites_the_file_and_reloads_the_strip(self):
        app = self.app
        strip = self.start(memo_file("alpha", "ベータ", "gamma", "delta"), ["alpha", "ベータ", "gamma", "delta"])
        app.wait_tray_icons(1)
        self.assertEqual(strip.window.origin, (0, 0))

        # Somewhere else first: a drag stores nothing, so the position that
        # comes back below is the one the delete stored.
        app.drag(3, 5, 203, 105)
        moved = harness.wait_until(lambda: (lambda w: w if w.origin == (200, 100) else None)(app.window(strip.hwnd)),
                                   10, "the dragged strip at (200, 100)")
        self.assertEqual(app.stored_position(), (None, None), "a drag stores no position")
        strip = Strip(self, moved)

        app.select_item(strip.hwnd, COMBO, 1)
        self.assertEqual((strip.state()["cursel"], strip.state()["text"]), (1, "ベータ"))
        strip.press(DELETE)

        reloaded = strip.reloaded()
        new = reloaded.window
        wait_file(self, memo_file("alpha", "gamma", "delta"))
        self.assertIsNone(app.window(strip.hwnd), "the old window is gone")
        with self.subTest("position stored"):
            self.assertEqual(app.stored_position(), ("%d" % (200 * PIXEL_TWIPS), "%d" % (100 * PIXEL_TWIPS)))
        with self.subTest("the new strip"):
            self.assertEqual(new.origin, (200, 100), "the strip comes back where it was")
            self.assertTrue(new.topmost)
            state = reloaded.wait_list(["alpha", "gamma", "delta"])
            self.assertEqual(state["cursel"], -1)
            self.assertEqual(reloaded.focus_class(), "Edit", "the new strip has the focus in its list")
            app.wait_tray_icons(1)
            self.assertEqual(len(app.windows(harness.MAIN_CLASS)), 1)

        with self.subTest("the reloaded strip works"):
            # Its buttons sit at the new place; deleting the last memo there.
            app.select_item(new.hwnd, COMBO, 2)
            reloaded.press(DELETE)
            third = reloaded.reloaded()
            wait_file(self, memo_file("alpha", "gamma"))
            third.wait_list(["alpha", "gamma"])
            self.assertEqual(third.window.origin, (200, 100))
            app.wait_tray_icons(1)

    def test_delete_refused(self):
        """Nothing selected: no change, no position, no reload."""
        app = self.app
        memo = memo_file("one", "two")
        strip = self.start(memo, ["one", "two"])

        with self.subTest("typed text, nothing selected"):
            strip.type_text("one")
            self.assertEqual(strip.state()["cursel"], -1, "typing selects nothing")
            strip.press(DELETE)
            strip.refill(["one", "two"], after=DELETE)
            self.assertEqual(app.memo_path.read_bytes(), memo)
            self.assertEqual(app.main_window().hwnd, strip.hwnd, "the same window, not reloaded")
            self.assertEqual(app.stored_position(), (None, None), "no position stored")

        with self.subTest("a missing memo file is created again"):
            app.memo_path.unlink()
            self.assertTrue(app.click_button(strip.hwnd, DELETE), "the delete handler returned")
            wait_file(self, b"")
            self.assertEqual(app.main_window().hwnd, strip.hwnd, "the same window, not reloaded")
            self.assertEqual(app.stored_position(), (None, None), "no position stored")

    def test_odd_lines(self):
        """An empty line, a bare index, two lines under one index, a memo of spaces and one
        with NUL bytes as a crash leaves them: the list shows each as read, and a picked memo
        goes alone, whatever it holds."""
        memo = b"000 zero\r\n001 first\r\n\r\n005\r\n001 second\r\n004   \r\n005 foo\0\0\r\n006 foo\r\n"
        strip = self.start(memo, ["zero", "first", "", "", "second", "  ", "foo\u2400\u2400", "foo"])
        for pick, left, items in (
                (1, b"000 zero\r\n001\r\n002\r\n003 second\r\n004   \r\n005 foo\0\0\r\n006 foo\r\n",
                 ["zero", "", "", "second", "  ", "foo\u2400\u2400", "foo"]),
                (4, b"000 zero\r\n001\r\n002\r\n003 second\r\n004 foo\0\0\r\n005 foo\r\n",
                 ["zero", "", "", "second", "foo\u2400\u2400", "foo"]),
                (4, b"000 zero\r\n001\r\n002\r\n003 second\r\n004 foo\r\n", ["zero", "", "", "second", "foo"])):
            self.app.select_item(strip.hwnd, COMBO, pick)
            strip.press(DELETE)
            wait_file(self, left)
            strip = strip.reloaded()
            strip.wait_list(items)
        self.app.record_fault("two memos under one number, a memo of spaces, NUL bytes a crash left, "
                              "then 削 on each", "the list shows each memo as read, a NUL as \u2400; the "
                              "picked memo goes alone and the rest are numbered again", left)

    def test_utf8_memo_files(self):
        """memo.txt saved as UTF-8 by an editor, with and without a byte order mark, and one that
        an earlier version mixed: each memo reads as written, and each change is made in the
        file's encoding. A Shift-JIS file whose bytes also read as UTF-8 stays Shift-JIS."""
        app = self.app
        bom = b"\xef\xbb\xbf"
        strip = self.start("000 買い物\r\n001 牛乳\r\n".encode(), ["買い物", "牛乳"])

        with self.subTest("UTF-8"):
            strip.type_text("卵😀")
            strip.press(ADD)
            wait_file(self, "000 買い物\r\n001 牛乳\r\n002 卵😀\r\n".encode())
            strip.refill(["買い物", "牛乳", "卵😀"], after=ADD)
            app.select_item(strip.hwnd, COMBO, 0)
            strip.press(DELETE)
            wait_file(self, "000 牛乳\r\n001 卵😀\r\n".encode())
            strip = strip.reloaded()
            strip.wait_list(["牛乳", "卵😀"])

        with self.subTest("UTF-8 with a byte order mark"):
            app.memo_path.write_bytes(bom + "000 あ\r\n001 い\r\n".encode())
            strip.wait_list(["あ", "い"])  # the list follows memo.txt
            app.select_item(strip.hwnd, COMBO, 0)
            strip.press(DELETE)
            wait_file(self, bom + "000 い\r\n".encode())
            strip = strip.reloaded()
            strip.wait_list(["い"])
            strip.type_text("う")
            strip.press(ADD)
            wait_file(self, bom + "000 い\r\n001 う\r\n".encode())

        with self.subTest("a Shift-JIS line that an earlier version appended"):
            app.memo_path.write_bytes(bom + "000 あ\r\n".encode() + "001 い\r\n".encode("cp932"))
            strip.wait_list(["あ", "い"])

        with self.subTest("UTF-8 without a character of three bytes"):
            app.memo_path.write_bytes("000 Hokkaidō\r\n".encode())
            strip.wait_list(["Hokkaidō"])
            strip.type_text("卵")
            strip.press(ADD)
            wait_file(self, "000 Hokkaidō\r\n001 卵\r\n".encode())

        with self.subTest("Shift-JIS whose bytes read as UTF-8 too"):
            app.memo_path.write_bytes(memo_file("ﾃｽ"))  # C3 BD, "ý" in UTF-8
            strip.wait_list(["ﾃｽ"])
            strip.type_text("日本")
            strip.press(ADD)
            wait_file(self, memo_file("ﾃｽ", "日本"))

        with self.subTest("the program's own Shift-JIS that reads as UTF-8 too"):
            app.memo_path.write_bytes(b"")
            strip.wait_list([])
            strip.type_text("莉子")  # E4 BB 8E 71, "从q" in UTF-8
            strip.press(ADD)
            wait_file(self, memo_file("莉子"))
            strip.type_text("卵")
            strip.press(ADD)
            wait_file(self, memo_file("莉子", "卵"))
            strip.refill(["莉子", "卵"], after=ADD)
        app.record_fault("memo.txt saved as UTF-8 by an editor, with and without a byte order mark, "
                         "and with Shift-JIS lines an earlier version appended",
                         "each memo reads as written; 加 writes UTF-8 (emoji too), 削 keeps the mark and "
                         "every other line's bytes; a Shift-JIS file stays Shift-JIS even where its "
                         "bytes read as UTF-8, the program's own included", memo_file("莉子", "卵"))

    def test_enter_neither_adds_nor_deletes(self):
        app = self.app
        memo = memo_file("keep me")
        strip = self.start(memo, ["keep me"])
        field = strip.edit_field()

        with self.subTest("typed text"):
            strip.type_text("typed")
            app.send_keys(field, "End", "Return", "text:X")
            # The X typed after Enter shows that Enter has been handled.
            harness.wait_until(lambda: strip.state()["text"].endswith("X"), 10, "the X typed after Enter")
            self.assertEqual(app.memo_path.read_bytes(), memo)
            self.assertEqual(strip.state()["text"], "typedX", "Enter left the edit field as it was")
            self.assertEqual(strip.state()["items"], ["keep me"])

        with self.subTest("an item selected"):
            app.select_item(strip.hwnd, COMBO, 0)
            self.assertEqual(strip.state()["text"], "keep me")
            app.send_keys(field, "Return", "End", "text:Y")
            harness.wait_until(lambda: strip.state()["text"].endswith("Y"), 10, "the Y typed after Enter")
            self.assertEqual(app.memo_path.read_bytes(), memo)
            self.assertEqual(strip.state()["text"], "keep meY", "Enter left the edit field as it was")
            self.assertEqual(app.main_window().hwnd, strip.hwnd, "the same window, not reloaded")
            self.assertEqual(app.stored_position(), (None, None), "no position stored")

    def test_keyboard(self):
        """Tab and Shift+Tab walk the list and the five buttons; Space presses the focused one; Enter on
        the notification icon brings the hidden strip back to the keyboard."""
        app = self.app
        strip = self.start(memo_file("keep me"), ["keep me"])
        order = [ADD, DELETE, CLEAR, CLOSE, SMALL]

        def key(name: str, focus: int | None):
            """One key; waits until the focus is on button `focus` (None: in the list's edit field)."""
            app.send_keys(strip.hwnd, name)
            harness.wait_until(lambda: (strip.focus_id() == focus) if focus else strip.focus_class() == "Edit", 10,
                               "%s to move the focus to %s" % (name, focus or "the list"))

        with self.subTest("Tab and Shift+Tab"):
            for focus in order + [None]:
                key("Tab", focus)
            for focus in order[::-1] + [None]:
                key("shift+Tab", focus)

        with self.subTest("Space on 加 and on the hide button"):
            strip.type_text("キーで追加")
            key("Tab", ADD)
            key("space", ADD)
            wait_file(self, memo_file("keep me", "キーで追加"))
            key("shift+Tab", None)
            app.send_keys(strip.hwnd, "text:書きかけ")
            for focus in order:
                key("Tab", focus)
            app.send_keys(strip.hwnd, "space")
            harness.wait_until(lambda: not app.window(strip.hwnd).visible, 10, "the strip to hide")
            self.assertEqual(app.stored_position(), ("0", "0"))

        with self.subTest("Enter on the icon: in front again, the caret in the edit field"):
            app.icon_event(strip.hwnd, harness.NIN_KEYSELECT)
            app.icon_event(strip.hwnd, harness.NIN_KEYSELECT)  # the shell may report one key twice
            harness.wait_until(lambda: (f := app.focus(strip.hwnd))["foreground"] == strip.hwnd
                               and f["focus_class"] == "Edit", 10, "the strip in front, typing into its list")
            self.assertEqual(app.window(strip.hwnd).rect, strip.window.rect, "shown where it was")
            app.send_keys(strip.hwnd, "text:のメモ")
            strip.wait_list(["keep me", "キーで追加"], "書きかけのメモ")

    # ------------------------------------------------------------------ clear all

    def test_clear_all(self):
        app = self.app
        memo = memo_file("one", "二")
        strip = self.start(memo, ["one", "二"])

        def answer(button_id: int):
            box = app.wait_message_box(CONFIRM_TITLE)
            self.assertEqual(box["text"], CONFIRM_TEXT)
            self.assertEqual(sorted(b["id"] for b in box["buttons"]), [harness.IDOK, harness.IDCANCEL])
            window = harness.Window.from_json(box["window"])
            x, y, width, height = app.control(window.hwnd, button_id).rect
            app.click(window.client[0] + x + width // 2, window.client[1] + y + height // 2)
            harness.wait_until(lambda: app.message_box(CONFIRM_TITLE) is None, 10, "the question to close")

        with self.subTest("Cancel"):
            strip.press(CLEAR)
            answer(harness.IDCANCEL)
            self.assertEqual(app.memo_path.read_bytes(), memo)
            self.assertEqual(strip.state()["items"], ["one", "二"])

        with self.subTest("OK"):
            strip.press(CLEAR)
            answer(harness.IDOK)
            wait_file(self, b"")
            strip.wait_list([])
            self.assertEqual(app.main_window().hwnd, strip.hwnd, "the same window, not reloaded")

        with self.subTest("an empty file: no question"):
            strip.press(CLEAR)
            # The click into the list comes after the press; once the list
            # has the focus, the press has been handled.
            harness.wait_until(lambda: app.message_box(CONFIRM_TITLE) or strip.focus_id() == CLEAR, 10,
                               "the press on the clear button")
            strip.press(COMBO)
            harness.wait_until(lambda: app.message_box(CONFIRM_TITLE) or strip.focus_class() == "Edit", 10,
                               "the click into the list after the press")
            self.assertIsNone(app.message_box(CONFIRM_TITLE), "no question on an empty file")
            self.assertEqual(app.memo_path.read_bytes(), b"")

        with self.subTest("an add after clearing gets index 000"):
            strip.type_text("after clear")
            strip.press(ADD)
            wait_file(self, memo_file("after clear"))

        with self.subTest("memo.txt changed while the question is open: nothing emptied"):
            strip.press(CLEAR)
            app.wait_message_box(CONFIRM_TITLE)
            with app.memo_path.open("ab") as other_copy:
                other_copy.write(line(1, "new"))
            answer(harness.IDOK)
            box = app.wait_message_box(PROGRAM_TITLE)
            self.assertIn("変更されたため", box["text"])
            app.press_message_box(PROGRAM_TITLE, harness.IDOK)
            strip.wait_list(["after clear", "new"])
            app.record_fault("another copy added a memo while 消's question was open, then OK",
                             "nothing is deleted; the list shows memo.txt as it is now and a message "
                             "says so: \u300c%s\u300d" % box["text"], memo_file("after clear", "new"))

        with self.subTest("the memo file removed while running"):
            app.memo_path.unlink()
            self.assertTrue(app.click_button(strip.hwnd, CLEAR), "the handler returned without a modal window")
            self.assertIsNone(app.message_box(CONFIRM_TITLE), "no question")
            self.assertIsNone(app.message_box(PROGRAM_TITLE), "no error message")
            self.assertFalse(app.memo_path.exists(), "clearing does not create the memo file")
            self.assertTrue(app.process_alive(strip.window.pid), "the program still runs")


if __name__ == "__main__":
    harness.main()
