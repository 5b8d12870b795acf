#!/usr/bin/env python3
"""memo.txt as people really have it: saved by an editor without a final
line break, changed by another writer while the strip shows it, text pasted
from the web, held for a moment by a sync client, and two copies of the
program adding and deleting in one folder at once.

Buttons and lists are pressed with real clicks; only what a mouse cannot
carry goes through window messages (text into the list's edit field, the
pick of an item). Every case writes one row of the fault matrix.
"""

from __future__ import annotations

import os
import random
import sys
import time

import harness
from harness import ids

COMBO, ADD, DELETE, CLEAR = ids.MEMO_LIST, ids.ADD_BUTTON, ids.DELETE_BUTTON, ids.CLEAR_BUTTON
TITLE = "タリニクス"
PICK_GONE = "選んだメモは、もう memo.txt にないため削除しませんでした。一覧を読み直しました。"


memo_file, wait_file = harness.memo_file, harness.wait_file


class Strip(harness.Strip):
    """One copy's strip, found again by its process after each reload."""

    def wait_items(self, items: list[str], timeout: float = 10):
        seen = []

        def holds():
            seen[:] = [self.state()["items"]]
            return seen[0] == items

        try:
            harness.wait_until(holds, timeout, "the list")
        except AssertionError:
            self.test.fail("copy %d lists %r, expected %r" % (self.pid, seen[0], items))

    def refill(self, count: int):
        """Into the list anew (by way of 加 with an empty field, which adds nothing): it refills."""
        self.press(ADD)
        harness.wait_until(lambda: self.app.focus(self.hwnd)["focus_id"] == ADD, 10, "加 to take the focus")
        self.press(COMBO)
        harness.wait_until(lambda: self.state()["count"] == count, 10, "copy %d's list to refill" % self.pid)

    def select_text(self, text: str):
        items = self.state()["items"]
        self.test.assertIn(text, items, "copy %d lists the memo to delete" % self.pid)
        self.app.select_item(self.hwnd, COMBO, items.index(text))


class SharedFile(harness.TestCase):
    def start(self, memo: bytes | None, items: list[str]) -> Strip:
        if memo is not None:
            self.app.memo_path.write_bytes(memo)
        self.app.start()
        strip = Strip(self, self.app.wait_main_window())
        strip.wait_items(items)
        return strip

    def press_held(self, strip: Strip, button: int, written: bytes | None = None):
        """Presses a button while another program (a sync client) holds memo.txt, having written
        `written` into it, which the list therefore cannot follow. The program meets the hold: the
        button's handler still waits after 0.4 s and memo.txt keeps its bytes; then the hold ends.
        (Whether a handler has returned a click cannot tell: the press is a BM_CLICK.)"""
        memo = self.app.memo_path
        self.app.hold_memo_file()
        if written is not None:
            memo.write_bytes(written)
        before = memo.read_bytes()
        self.assertFalse(self.app.click_button(strip.hwnd, button, timeout_ms=400), "the handler waits")
        self.assertEqual(memo.read_bytes(), before, "memo.txt unchanged while held")
        self.app.hold_memo_file(False)

    def expect_message(self, fragment: str) -> str:
        box = self.app.wait_message_box(TITLE)
        self.assertIn(fragment, box["text"])
        self.app.press_message_box(TITLE, harness.IDOK)
        harness.wait_until(lambda: self.app.message_box(TITLE) is None, 5, "the message to close")
        return box["text"]

    def test_add_after_a_line_without_line_break(self):
        app = self.app
        strip = self.start(b"000 a\r\n001 b", ["a", "b"])  # as an editor saved it
        app.set_text(strip.hwnd, COMBO, "new")
        strip.press(ADD)
        wait_file(self, b"000 a\r\n001 b\r\n002 new\r\n")
        strip.refill(3)
        strip.wait_items(["a", "b", "new"])
        app.record_fault("memo.txt saved without a line break after its last memo, then 加",
                         "the last line is ended first: 000 a / 001 b / 002 new, three memos",
                         memo_file("a", "b", "new"))

    def test_add_numbers_from_the_file(self):
        app = self.app
        strip = self.start(memo_file("a"), ["a"])
        app.set_text(strip.hwnd, COMBO, "mine")
        self.press_held(strip, ADD, memo_file("a", "x"))  # another writer's memo, unseen by the list
        wait_file(self, memo_file("a", "x", "mine"))
        app.record_fault("another writer added a memo the list does not show, then 加",
                         "the new memo is numbered from the file (002), no number twice",
                         memo_file("a", "x", "mine"))

    def test_delete_after_another_writer_changed_the_file(self):
        app = self.app
        strip = self.start(memo_file("a", "b", "c"), ["a", "b", "c"])
        text = ""
        with self.subTest("renumbered: the selected memo is found by its text"):
            strip.select_text("b")
            # "a" deleted elsewhere while memo.txt is held, so that the list cannot follow the
            # change (and with it move the pick) before 削 looks at the file.
            self.press_held(strip, DELETE, memo_file("b", "c"))
            strip = strip.reloaded()
            wait_file(self, memo_file("c"))
            strip.wait_items(["c"])
            self.assertIsNone(app.message_box(TITLE))

        with self.subTest("gone: nothing deleted, the list shows the file"):
            app.memo_path.write_bytes(memo_file("c", "d"))
            strip.wait_items(["c", "d"])
            strip.select_text("d")
            # A sync client holds memo.txt while it writes "d" away and "e" in, so the
            # strip cannot look at the file before 削 is pressed (it would follow it and
            # drop the pick); the delete waits for the hold to end, then finds "d" gone.
            self.press_held(strip, DELETE, memo_file("c", "e"))
            text = self.expect_message(PICK_GONE)
            self.assertEqual(app.memo_path.read_bytes(), memo_file("c", "e"))
            strip.wait_items(["c", "e"])
            self.assertEqual(app.main_window().hwnd, strip.hwnd, "no reload")
        app.record_fault("another writer renumbered or removed memos while the strip showed them, then 削",
                         "the selected memo is deleted wherever it now is; when it is gone nothing is "
                         "deleted, the list is read again and the user is told: \u300c%s\u300d" % text,
                         memo_file("c", "e"))

    def test_text_from_the_web(self):
        app = self.app
        strip = self.start(b"", [])
        pasted = "9:00\u301c10:00 \u2212\u00a5500 \u2016 \u00a2\u00a3\u00ac \u2014"
        app.set_text(strip.hwnd, COMBO, pasted)
        strip.press(ADD)
        stored = b"000 9:00\x81\x6010:00 \x81\x7c\x5c500 \x81\x61 \x81\x91\x81\x92\x81\xca \x81\x5c\r\n"
        wait_file(self, stored)
        strip.refill(1)

        refused = "メモ\u00e9😀"
        app.set_text(strip.hwnd, COMBO, refused)
        strip.press(ADD)
        text = self.expect_message("\u300c\u00e9\u300d")  # the first one it cannot store
        self.assertEqual(strip.state()["text"], refused, "the refused text stays in the field")
        app.record_fault("text pasted from the web (\u301c \u2212 \u00a5 \u2016 \u00a2 \u00a3 \u00ac \u2014), "
                         "and text with characters Shift-JIS lacks",
                         "stored under their Shift-JIS forms (\u301c as 0x8160, \u00a5 as 0x5C, ...); "
                         "other text refused naming the first such character (%s), kept in the field"
                         % text.splitlines()[0], stored)

    def test_a_brief_lock_is_ridden_out(self):
        app = self.app
        strip = self.start(memo_file("a", "b"), ["a", "b"])
        strip.select_text("a")
        self.press_held(strip, DELETE)
        strip = strip.reloaded()
        wait_file(self, memo_file("b"))

        app.set_text(strip.hwnd, COMBO, "c")
        self.press_held(strip, ADD)
        wait_file(self, memo_file("b", "c"))
        self.assertIsNone(app.message_box(TITLE), "no message")
        app.record_fault("memo.txt held by another program for 0.4 s during 削 and 加",
                         "ridden out: both succeed with no message (a hold past about a second still "
                         "ends in the clear message)", memo_file("b", "c"))

    def test_a_viewer_that_does_not_share_delete(self):
        """A viewer holds memo.txt open sharing reading and writing but not delete, as many do:
        Windows refuses to replace the file then. 削 says so, with the reason; 消 empties the
        file where it is, and a UTF-8 file keeps its byte order mark."""
        app, bom = self.app, b"\xef\xbb\xbf"
        strip = self.start(bom + "000 牛乳\r\n001 卵\r\n".encode(), ["牛乳", "卵"])
        app.hold_memo_file(readers=True)
        self.addCleanup(app.hold_memo_file, False)
        strip.select_text("卵")
        strip.press(DELETE)
        text = self.expect_message("共有違反")  # Wine's words for the viewer's hold, not "access denied"
        strip.press(CLEAR)
        app.wait_message_box("確認")
        app.press_message_box("確認", harness.IDOK)
        wait_file(self, bom)
        strip.wait_items([])
        app.record_fault("memo.txt held by a viewer that shares reading and writing but not delete, then 削 and 消",
                         "削 says \u300c%s\u300d and keeps every memo; 消 empties memo.txt in place, a UTF-8 "
                         "file keeping its byte order mark" % text.splitlines()[0], bom)

    def test_a_linked_memo_file_stays_linked(self):
        """memo.txt is a symbolic link into a synced folder. Its changes go to the file the link
        leads to, and the link stays; the turn is taken beside that file, where a copy started in
        the synced folder takes it too."""
        app = self.app
        synced = app.workdir.parent / "synced"
        synced.mkdir()
        real, lock = synced / "memo.txt", synced / "memo.txt.lock"
        real.write_bytes(memo_file("a", "b", "c"))
        os.symlink(real, app.memo_path)
        strip = self.start(None, ["a", "b", "c"])

        def linked(memo: bytes):
            harness.wait_until(lambda: real.read_bytes() == memo, 10, "the file the link leads to")
            self.assertTrue(os.path.islink(app.memo_path), "memo.txt is still the link")
            self.assertEqual(os.path.realpath(app.memo_path), str(real))
            self.assertEqual(sorted(p.name for p in synced.iterdir()) + [p.name for p in app.workdir.iterdir()],
                             ["memo.txt", "memo.txt"], "no temporary or lock file left beside either")

        strip.select_text("a")
        strip.press(DELETE)
        strip = strip.reloaded()
        linked(memo_file("b", "c"))
        strip.wait_items(["b", "c"])
        app.set_text(strip.hwnd, COMBO, "d")
        strip.press(ADD)
        linked(memo_file("b", "c", "d"))

        with self.subTest("another copy's turn beside the real file holds 削 back, then it says so"):
            lock.write_bytes(b"")  # as a copy started in the synced folder holds it
            app.hold_memo_file(path=lock)
            strip.refill(3)
            strip.select_text("b")
            strip.press(DELETE)
            text = self.expect_message("memo.txt.lock")
            self.assertEqual(real.read_bytes(), memo_file("b", "c", "d"), "nothing changed without the turn")
            app.hold_memo_file(False, path=lock)
        # The lock file left behind, held by no one, is taken over.
        strip.select_text("b")
        strip.press(DELETE)
        strip = strip.reloaded()
        linked(memo_file("c", "d"))
        with self.subTest("the sync client's change to the file the link leads to shows at once"):
            strip.wait_items(["c", "d"])
            real.write_bytes(memo_file("c", "d", "同期"))
            strip.wait_items(["c", "d", "同期"])
        app.record_fault("memo.txt a symbolic link into another folder; a lock file left there; that file "
                         "changed by a sync client",
                         "削 and 加 change the file the link leads to and the link stays; the turn is taken "
                         "beside that file: held by another copy there, 削 waits, then says \u300c%s\u300d; "
                         "a lock file held by no one is taken over; the shown list follows the sync client's "
                         "change at once" % text.splitlines()[0], memo_file("c", "d", "同期"))


class TwoCopiesAtOnce(harness.TestCase):
    TIMEOUT = 280

    def test_two_copies_adding_and_deleting_at_once(self):
        """Both copies add at the same moment, then both delete one of their own memos at the
        same moment, from lists that the other copy's delete makes stale, each copy naming
        the folder differently. Checked byte for byte after every round: every memo still
        there unless its copy deleted it, each number once, no temporary or lock file left."""
        app = self.app
        rounds = int(os.environ.get("TALLYNIX_RACE_ROUNDS", "200"))
        seed = int(os.environ.get("TALLYNIX_RACE_SEED", str(random.randrange(1 << 30))))
        chance = random.Random(seed)
        app.memo_path.write_bytes(b"")
        # The copies name the folder differently, as a mapped drive and its UNC path do:
        # the first sees it as Y:\, the second as Z:\...\cwd. They take turns all the same.
        app.map_drive("y", app.workdir)
        app.start()
        first = app.wait_main_window()
        app.drag(4, 5, 4, 105)  # the second copy opens at the top: keep each clickable
        harness.wait_until(lambda: app.window(first.hwnd).origin == (0, 100), 5, "the drag")
        app.start(cwd=harness.windows_path(app.workdir))
        second = harness.wait_until(
            lambda: [w for w in app.windows(harness.MAIN_CLASS) if w.pid != first.pid], 20, "the second copy")[0]
        # Its list has the focus once it has filled: text put in before would be emptied.
        harness.wait_until(lambda: (lambda f: f["foreground"] == second.hwnd and f["focus_class"] == "Edit")(
            app.focus(second.hwnd)), 10, "the second copy to take the foreground and fill its list")
        copies = {"A": Strip(self, app.window(first.hwnd)), "B": Strip(self, second)}
        alive = {"A": [], "B": []}  # each copy's memos still in the file, oldest first
        order = []  # every memo in the file, in its order: the two adds of a round in either order
        began = time.monotonic()

        def check_file():
            self.assertEqual(app.memo_path.read_bytes(), memo_file(*order), "round %d (seed %d): every "
                             "memo there unless its copy deleted it, numbered once, in order" % (k, seed))

        def keep_apart():
            """A delete stores the strip's place where both copies read it back: when the two
            meet, drag the one on top away."""
            def origins():
                return [app.window(strip.hwnd).origin for strip in copies.values()]

            (ax, ay), (bx, by) = origins()
            if abs(ay - by) < 40:
                # Only "apart" matters here, not how far: no waiting on a move loop
                # that a freshly reopened copy may not start at once.
                app.drag(ax + 4, ay + 5, ax + 4, (100 if ay >= 300 else 400) + 5, moves_window=False)
                harness.wait_until(lambda: abs(origins()[0][1] - origins()[1][1]) >= 40, 5, "the copies apart")
            for strip in copies.values():
                strip.window = app.window(strip.hwnd)

        for k in range(rounds):
            app.log("round %d" % k)
            keep_apart()
            for name, strip in copies.items():
                app.set_text(strip.hwnd, COMBO, "%s%03d" % (name, k))
            for name, strip in copies.items():
                app.post_click(strip.hwnd, ADD)
            for name, strip in copies.items():
                alive[name].append("%s%03d" % (name, k))
                harness.wait_until(lambda: strip.state()["text"] == "", 10, "copy %s's add" % name)
            added = sorted(alive[name][-1] for name in copies)
            last = [line[4:].decode("cp932") for line in app.memo_path.read_bytes().split(b"\r\n")[-3:-1]]
            order += last if sorted(last) == added else added
            check_file()
            deleting = [name for name in copies if len(alive[name]) > 2 and chance.random() < 0.8]
            if not deleting:
                continue
            for name in deleting:
                copies[name].refill(len(order))
            for name in deleting:
                victim = alive[name].pop(chance.randrange(len(alive[name]) - 1))
                order.remove(victim)
                copies[name].select_text(victim)
            for name in deleting:
                app.post_click(copies[name].hwnd, DELETE)
            for name in deleting:
                copies[name] = copies[name].reloaded()
            harness.wait_until(lambda: app.memo_path.read_bytes().count(b"\r\n") == len(order), 10, "both deletes")
            check_file()  # a message would have kept its copy from opening afresh
        self.assertIsNone(app.message_box(TITLE), "no message")
        self.assertEqual([p.name for p in app.workdir.iterdir()], ["memo.txt"], "no temporary or lock file left")
        summary = ("two copies in one folder, named Y:\\ and Z:\\...\\cwd, %d rounds of simultaneous adds and deletes (seed %d, %.0f s): "
                   "memo.txt byte for byte as expected after every round, %d memos left, no number twice, "
                   "no message, no temporary or lock file" % (rounds, seed, time.monotonic() - began,
                                                      len(alive["A"]) + len(alive["B"])))
        sys.stderr.write("\n" + summary + "\n")
        app.record_fault("two copies in one folder, each naming it differently, adding and deleting at the "
                         "same moment", summary, memo_file(*order))


if __name__ == "__main__":
    harness.main()
