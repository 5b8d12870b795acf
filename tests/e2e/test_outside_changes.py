#!/usr/bin/env python3
"""memo.txt changed by another writer (a second copy, an editor, a sync
client) while the strip runs: the list follows the file while it is shown,
around whatever the user typed or picked; an open drop-down is left alone
until it closes; a hidden strip catches up when it is shown again.

The other writer is this script, writing memo.txt directly. Keys, clicks on
the window and on the notification icon are real input.
"""

from __future__ import annotations

import os
import time

import harness
from harness import ids

COMBO, DELETE = ids.MEMO_LIST, ids.DELETE_BUTTON
PICK_GONE = "選んだメモは、もう memo.txt にないため削除しませんでした。一覧を読み直しました。"
# Relative to the window's top-left corner: the visible sliver of the hide
# button, and the uncovered dark-blue patch left of the list.
HIDE_SLIVER = (4, 16)
GRIP = (4, 6)


memo_file = harness.memo_file


class OutsideChanges(harness.TestCase):
    def start(self, *memos: str) -> harness.Window:
        self.app.memo_path.write_bytes(memo_file(*memos))
        self.app.start()
        window = self.app.wait_main_window()
        self.wait_list(window, list(memos), "")
        return window

    def state(self, window: harness.Window) -> dict:
        return harness.Strip(self, window).state()  # read again when a refill crossed the reading

    def wait_list(self, window: harness.Window, items: list[str], text: str, cursel: int = -1,
                  timeout: float = 10) -> dict:
        """Waits until the list holds these items, the edit field this text and this pick."""
        seen = []

        def holds():
            seen[:] = [self.state(window)]
            return (seen[0]["items"], seen[0]["text"], seen[0]["cursel"]) == (items, text, cursel)

        try:
            harness.wait_until(holds, timeout, "the list")
        except AssertionError:
            self.fail("the list holds %r, %r in its field, item %d picked; expected %r, %r, %d"
                      % (seen[0]["items"], seen[0]["text"], seen[0]["cursel"], items, text, cursel))
        return seen[0]

    def holds_for(self, window: harness.Window, seconds: float, items: list[str], what: str):
        """Checks, over a fixed observation window, that the list keeps these items: a refill
        would show within a fraction of that time (see test_followed_while_shown)."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.assertEqual(self.state(window)["items"], items, what)

    def edit_field(self, window: harness.Window) -> int:
        focus = self.app.focus(window.hwnd)
        self.assertEqual(focus["focus_class"], "Edit", "the focus is in the list's edit field")
        return focus["focus"]

    def other_writer(self, *memos: str):
        """Another program rewrites memo.txt in one step, as a sync client or a second copy does."""
        path = self.app.memo_path
        temporary = path.with_name("memo.txt.other")
        temporary.write_bytes(memo_file(*memos))
        os.replace(temporary, path)

    def rewrite_in_place(self, window: harness.Window, text: str, *memos: str):
        """Another program rewrites memo.txt where it stands, as shell redirection and many editors
        do: it empties the file and, once the strip has followed the empty file (its field still
        showing `text`), writes the memos."""
        with open(self.app.memo_path, "r+b") as memo:
            memo.truncate(0)
            memo.flush()
            self.wait_list(window, [], text)
            memo.write(memo_file(*memos))

    def at(self, window: harness.Window, point: tuple[int, int]) -> tuple[int, int]:
        return window.origin[0] + point[0], window.origin[1] + point[1]

    # ------------------------------------------------------------------

    def test_followed_while_shown(self):
        app = self.app
        window = self.start("牛乳を買う", "歯医者に電話")
        field = self.edit_field(window)
        app.send_keys(field, "text:書きかけ")
        self.wait_list(window, ["牛乳を買う", "歯医者に電話"], "書きかけ")

        with self.subTest("appended by an editor, typed text kept"):
            with open(app.memo_path, "ab") as memo:
                memo.write("002 追加\r\n".encode("cp932"))
            started = time.monotonic()
            self.wait_list(window, ["牛乳を買う", "歯医者に電話", "追加"], "書きかけ")
            app.log("the change showed after %.0f ms" % ((time.monotonic() - started) * 1000))
            self.assertEqual(self.app.focus(window.hwnd)["focus"], field, "the focus stayed in the field")
            # The caret stayed at the end of the typed text, nothing selected:
            # further keys go on from there.
            app.send_keys(field, "text:のメモ")
            self.wait_list(window, ["牛乳を買う", "歯医者に電話", "追加"], "書きかけのメモ")

        with self.subTest("removed and renumbered by another copy"):
            self.other_writer("歯医者に電話", "追加")
            self.wait_list(window, ["歯医者に電話", "追加"], "書きかけのメモ")

        with self.subTest("emptied, then deleted"):
            self.other_writer()
            self.wait_list(window, [], "書きかけのメモ")
            self.other_writer("戻った")
            self.wait_list(window, ["戻った"], "書きかけのメモ")
            app.memo_path.unlink()
            self.wait_list(window, [], "書きかけのメモ")
            self.assertFalse(app.memo_path.exists(), "following the file does not create it")
            self.assertIsNone(app.message_box("タリニクス"), "no message about the missing file")
        app.record_fault("memo.txt changed by another writer while the strip is shown (appended, "
                         "replaced and renumbered, emptied, deleted)",
                         "the list shows the file as it is now at once; the typed text, its caret and "
                         "a picked memo stay; an open drop-down waits until it closes; a hidden strip "
                         "catches up when shown; no message, and memo.txt is never written or created",
                         None)

    def test_pick_kept_where_its_memo_still_is(self):
        app = self.app
        window = self.start("a", "b", "c")
        field = self.edit_field(window)
        app.send_keys(field, "Down", "Down")  # picks a, then b
        self.wait_list(window, ["a", "b", "c"], "b", cursel=1)

        with self.subTest("the memo moved up"):
            self.other_writer("b", "c")
            self.wait_list(window, ["b", "c"], "b", cursel=0)

        with self.subTest("the memo gone: the field keeps its text, nothing is picked"):
            self.other_writer("c", "d")
            self.wait_list(window, ["c", "d"], "b", cursel=-1)

    def test_pick_kept_through_a_rewrite_in_place(self):
        app = self.app
        window = self.start("a", "b", "c")
        app.send_keys(self.edit_field(window), "Down", "Down")  # picks a, then b
        self.wait_list(window, ["a", "b", "c"], "b", cursel=1)

        with self.subTest("a deleted: b picked again once the file settles, and 削 deletes it"):
            self.rewrite_in_place(window, "b", "b", "c")
            self.wait_list(window, ["b", "c"], "b", cursel=0)
            strip = harness.Strip(self, window)
            strip.press(DELETE)
            window = strip.reloaded().window
            harness.wait_file(self, memo_file("c"))

        with self.subTest("b gone for good: the field keeps it, and 削 says it is no longer there"):
            self.other_writer("b", "c")
            self.wait_list(window, ["b", "c"], "")
            app.send_keys(self.edit_field(window), "Down")
            self.wait_list(window, ["b", "c"], "b", cursel=0)
            self.rewrite_in_place(window, "b", "c", "d")
            self.wait_list(window, ["c", "d"], "b")
            harness.Strip(self, window).press(DELETE)
            box = app.wait_message_box("タリニクス")
            self.assertEqual(box["text"], PICK_GONE)
            app.press_message_box("タリニクス", harness.IDOK)
            self.wait_list(window, ["c", "d"], "")
        app.record_fault("memo.txt rewritten in place (emptied, then written) by another writer while a memo is "
                         "picked, then 削",
                         "the pick comes back once the file settles and 削 deletes it; when its memo is gone, "
                         "the field keeps its text and 削 says so: \u300c%s\u300d" % PICK_GONE, memo_file("c", "d"))

    def test_open_drop_down_left_alone_until_it_closes(self):
        app = self.app
        window = self.start("one", "two")
        combo = app.control(window.hwnd, COMBO)
        left, top = window.client_origin
        arrow = (left + combo.rect[0] + combo.rect[2] - 8, top + combo.rect[1] + 10)

        app.click(*arrow)
        harness.wait_until(lambda: self.state(window)["dropped"], 10, "the list to drop down")
        self.other_writer("one", "two", "three")
        self.holds_for(window, 1.5, ["one", "two"], "the open drop-down keeps its items")
        self.assertTrue(self.state(window)["dropped"], "still dropped down")

        app.click(*arrow)
        harness.wait_until(lambda: not self.state(window)["dropped"], 10, "the list to close")
        self.wait_list(window, ["one", "two", "three"], "")

        with self.subTest("dropping down shows the file"):
            app.click(*arrow)
            harness.wait_until(lambda: self.state(window)["dropped"], 10, "the list to drop down")
            self.wait_list(window, ["one", "two", "three"], "")
            app.click(*arrow)
            harness.wait_until(lambda: not self.state(window)["dropped"], 10, "the list to close")

    def test_changed_while_hidden_current_when_shown(self):
        app = self.app
        window = self.start("牛乳を買う")
        app.wait_tray_icons(1)
        app.send_keys(self.edit_field(window), "text:下書き")
        self.wait_list(window, ["牛乳を買う"], "下書き")

        app.click(*self.at(window, HIDE_SLIVER))
        harness.wait_until(lambda: not app.window(window.hwnd).visible, 10, "the strip to hide")
        self.other_writer("牛乳を買う", "隠れている間に")

        app.click(*app.tray_icon_centre(0), button=1)
        harness.wait_until(lambda: app.window(window.hwnd).visible, 10, "the strip to show again")
        self.wait_list(window, ["牛乳を買う", "隠れている間に"], "下書き")
        self.assertEqual([w.hwnd for w in app.windows(harness.MAIN_CLASS)], [window.hwnd], "the same window")

        with self.subTest("followed again once shown"):
            self.other_writer("隠れている間に")
            self.wait_list(window, ["隠れている間に"], "下書き")

    def test_activated_again(self):
        """Another window active meanwhile; coming back keeps the typed text and the focus."""
        app = self.app
        window = self.start("x")
        field = self.edit_field(window)
        app.send_keys(field, "text:途中")
        self.wait_list(window, ["x"], "途中")

        # The tray menu takes the activation; Escape gives it back.
        app.open_tray_menu()
        self.other_writer("x", "y")
        app.send_keys(window.hwnd, "Escape")
        harness.wait_until(lambda: not app.popup_menus(), 5, "the menu to close")
        self.wait_list(window, ["x", "y"], "途中")

        app.click(*self.at(window, GRIP))
        harness.wait_until(lambda: app.focus(window.hwnd)["active"] == window.hwnd, 10, "the strip to be active")
        self.assertEqual(app.focus(window.hwnd)["focus"], field, "the focus is back in the field")
        self.wait_list(window, ["x", "y"], "途中")


if __name__ == "__main__":
    harness.main()
