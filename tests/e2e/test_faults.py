#!/usr/bin/python3
"""Faults from outside: a read-only memo file or folder, a locked memo file,
a folder in the memo file's place, strange stored positions, two copies of
the program sharing one folder. Each case must end in a clear Japanese
message or a sound fallback, and never lose a memo.

Every case also writes one row of the fault matrix
(<artifacts>/fault-matrix/<case>.json); scripts/fault-matrix turns the rows
of a run into the table in docs/reliability.md.
"""

import subprocess

import harness
from harness import ids

COMBO, ADD, DELETE, CLEAR = ids.MEMO_LIST, ids.ADD_BUTTON, ids.DELETE_BUTTON, ids.CLEAR_BUTTON
ERROR_TITLE = "タリニクス"
CONFIRM_TITLE = "確認"
SEED = "000 牛乳を買う\r\n001 15時 打ち合わせ\r\n002 請求書\r\n".encode("cp932")


class FaultCase(harness.TestCase):
    def record(self, fault, seen, memo):
        self.app.record_fault(fault, seen, memo)

    def make_immutable(self, path):
        """Read-only even for root (Wine as root ignores the read-only bit)."""
        subprocess.run(["chattr", "+i", str(path)], check=True)
        self.addCleanup(subprocess.run, ["chattr", "-i", str(path)])

    def seed(self, data=SEED):
        self.app.memo_path.write_bytes(data)

    def wait_filled(self, window, count):
        harness.wait_until(lambda: self.app.combo(window.hwnd, COMBO)["count"] == count, 10,
                           "the list to hold %d memos" % count)

    def expect_message(self, *fragments):
        """Waits for the program's message box, checks its text, presses OK; returns the text."""
        box = self.app.wait_message_box(ERROR_TITLE)
        for fragment in fragments:
            self.assertIn(fragment, box["text"])
        self.app.press_message_box(ERROR_TITLE, harness.IDOK)
        harness.wait_until(lambda: self.app.message_box(ERROR_TITLE) is None, 5, "the message to close")
        return box["text"]


class ReadOnlyMemoFile(FaultCase):
    def test_read_only_memo_file(self):
        app = self.app
        self.seed()
        self.make_immutable(app.memo_path)
        app.start()
        window = app.wait_main_window()
        self.wait_filled(window, 3)

        app.set_text(window.hwnd, COMBO, "新しいメモ")
        app.post_click(window.hwnd, ADD)
        self.expect_message("書き込めませんでした", "memo.txt")
        self.assertEqual(app.combo(window.hwnd, COMBO)["text"], "新しいメモ", "the typed text stays")

        app.select_item(window.hwnd, COMBO, 1)
        app.post_click(window.hwnd, DELETE)
        self.expect_message("書き換えられませんでした", "元のまま")
        self.assertEqual(app.windows(harness.MAIN_CLASS)[0].hwnd, window.hwnd, "no reload after a failure")

        app.post_click(window.hwnd, CLEAR)
        app.wait_message_box(CONFIRM_TITLE)
        app.press_message_box(CONFIRM_TITLE, harness.IDOK)
        self.expect_message("書き換えられませんでした", "元のまま")

        self.assertEqual(list(app.workdir.glob("memo.txt.*tmp")), [], "no temporary file left")
        self.assertTrue(app.process_alive(window.pid), "the program goes on")
        self.record("memo.txt read-only",
                    "memos shown; add, delete and clear each say the file cannot be written "
                    "(delete and clear: \"メモは元のまま残っています\"); the typed text stays; the program goes on",
                    SEED)


class ReadOnlyFolder(FaultCase):
    def test_start_in_a_read_only_folder_without_memo_file(self):
        app = self.app
        self.make_immutable(app.workdir)
        app.start()
        text = self.expect_message("作成できませんでした", "memo.txt", "終了します")
        app.wait_exit(timeout=15)
        self.record("working folder read-only, no memo.txt yet (start)",
                    "message at start: " + text.splitlines()[0] + " (path and reason), then the program ends",
                    None)

    def test_read_only_folder_with_memo_file(self):
        app = self.app
        self.seed()
        self.make_immutable(app.workdir)
        app.start()
        window = app.wait_main_window()
        self.wait_filled(window, 3)

        app.select_item(window.hwnd, COMBO, 0)
        app.post_click(window.hwnd, DELETE)
        self.expect_message("書き換えられませんでした", "元のまま")
        self.assertEqual(app.memo_path.read_bytes(), SEED, "delete changed nothing")

        # The file itself stays writable: adding and clearing work.
        app.set_text(window.hwnd, COMBO, "追加")
        self.assertTrue(app.click_button(window.hwnd, ADD))
        self.assertEqual(app.memo_path.read_bytes(), SEED + "003 追加\r\n".encode("cp932"))
        app.post_click(window.hwnd, CLEAR)
        app.wait_message_box(CONFIRM_TITLE)
        app.press_message_box(CONFIRM_TITLE, harness.IDOK)
        harness.wait_until(lambda: app.memo_path.read_bytes() == b"", 5, "the file to be emptied")
        self.assertTrue(app.process_alive(window.pid))
        self.record("working folder read-only, memo.txt present (add, delete, clear)",
                    "delete says the file cannot be rewritten and changes nothing; add and clear "
                    "work on the file itself",
                    b"")


class LockedMemoFile(FaultCase):
    def test_locked_memo_file(self):
        app = self.app
        self.seed()
        app.start()
        window = app.wait_main_window()
        self.wait_filled(window, 3)
        app.hold_memo_file()

        app.set_text(window.hwnd, COMBO, "ロック中")
        app.post_click(window.hwnd, ADD)
        self.expect_message("書き込めませんでした")
        self.assertEqual(app.combo(window.hwnd, COMBO)["text"], "ロック中", "the typed text stays")

        app.select_item(window.hwnd, COMBO, 0)
        app.post_click(window.hwnd, DELETE)
        self.expect_message("読み込めませんでした")

        # Nothing is asked about memos that cannot be read.
        app.post_click(window.hwnd, CLEAR)
        self.expect_message("読み込めませんでした")
        self.assertIsNone(app.message_box(CONFIRM_TITLE))

        app.hold_memo_file(False)
        self.assertEqual(app.memo_path.read_bytes(), SEED)
        self.assertEqual(list(app.workdir.glob("memo.txt.*tmp")), [])

        # Once the other program lets go, the same text is added.
        app.set_text(window.hwnd, COMBO, "ロック中")
        self.assertTrue(app.click_button(window.hwnd, ADD))
        self.record("memo.txt locked by another program for good (add, delete, clear)",
                    "after about a second of retrying, each says which file could not be read or "
                    "written and why; nothing changes; "
                    "the typed text stays and can be added once the lock is gone",
                    SEED + "003 ロック中\r\n".encode("cp932"))


class FolderInsteadOfFile(FaultCase):
    def test_memo_file_is_a_folder(self):
        app = self.app
        app.memo_path.mkdir()
        (app.memo_path / "keep.txt").write_bytes(b"inside")
        app.start()
        text = self.expect_message("同じ名前のフォルダー", "memo.txt", "終了します")
        app.wait_exit(timeout=15)
        self.assertEqual((app.memo_path / "keep.txt").read_bytes(), b"inside")
        self.record("memo.txt is a folder",
                    "message at start naming the path (" + text.splitlines()[0] + "), then the "
                    "program ends; the folder is left alone",
                    None)


class StrangeStoredPositions(FaultCase):
    def test_stored_values_that_are_not_usable(self):
        app = self.app
        self.seed()
        seen = []
        for left, top, expected in (("abc", "", (0, 0)), ("1E+30", "1E+30", (0, 0)),
                                    ("300000", "-300000", (688, 0)), ("-1500", "0", (0, 0))):
            app.set_stored_position(left, top)
            app.start()
            window = app.wait_main_window()
            self.assertEqual(window.origin, expected, "Left=%r Top=%r" % (left, top))
            self.assertIsNone(app.message_box(ERROR_TITLE), "no error for Left=%r Top=%r" % (left, top))
            self.assertEqual(app.stored_position(), (left, top), "the stored values stay until a save")
            seen.append("%s/%s → %s" % (left or '""', top or '""', expected))
            app.kill_program()
        self.record("Left/Top not numbers, empty, huge or negative",
                    "opens without a message: " + "; ".join(seen) + "; the values stay stored "
                    "until the next save",
                    SEED)


class TwoCopies(FaultCase):
    def test_two_copies_in_one_folder(self):
        app = self.app
        app.start()
        first_window = app.wait_main_window()
        # Move the first copy down so that each copy can be clicked.
        app.drag(4, 5, 4, 105)
        harness.wait_until(lambda: app.window(first_window.hwnd).origin == (0, 100), 5, "the drag")
        app.start()
        second = harness.wait_until(
            lambda: [w for w in app.windows(harness.MAIN_CLASS) if w.hwnd != first_window.hwnd], 20,
            "the second copy's window")[0]
        self.assertEqual(second.origin, (0, 0))
        # Let the second copy finish starting (it takes the foreground and
        # the focus) before clicking the first, or its start can swallow the click.
        harness.wait_until(lambda: app.focus(second.hwnd)["foreground"] == second.hwnd
                           and app.focus(second.hwnd)["focus_id"] != 0, 10,
                           "the second copy to take the foreground and the focus")

        def refill(y):
            app.click(252, y + 10)  # 加 with an empty text only takes the focus
            app.click(100, y + 10)  # back into the list: it refills

        app.set_text(first_window.hwnd, COMBO, "from A")
        app.click(252, 110)
        harness.wait_until(lambda: app.memo_path.read_bytes() == b"000 from A\r\n", 5, "A's add")
        refill(0)
        self.wait_filled(second, 1)
        app.set_text(second.hwnd, COMBO, "from B")
        app.click(252, 10)
        harness.wait_until(lambda: app.memo_path.read_bytes() == b"000 from A\r\n001 from B\r\n", 5,
                           "B's add")
        refill(100)
        self.wait_filled(first_window, 2)
        app.select_item(first_window.hwnd, COMBO, 0)
        app.click(276, 110)
        harness.wait_until(lambda: app.memo_path.read_bytes() == b"000 from B\r\n", 5, "A's delete")
        refill(0)
        harness.wait_until(lambda: app.combo(second.hwnd, COMBO)["items"] == ["from B"], 10,
                           "B to show what A left")
        self.record("two copies in one folder, adding and deleting in turn",
                    "the file stays well-formed (000 from A / 001 from B, then 000 from B); each copy's "
                    "list shows the other's changes",
                    b"000 from B\r\n")


if __name__ == "__main__":
    harness.main()
