#!/usr/bin/python3
"""Deleting a memo reloads the strip (a new window), and reloads do not pile
up: hundreds of deletes in one run leave one strip, one notification icon and
a running program."""

from __future__ import annotations

import sys
import time

import harness
from harness import ids

COMBO, DELETE = ids.MEMO_LIST, ids.DELETE_BUTTON


def numbered(first: int, count: int) -> bytes:
    """The memo file holding "memo <first>" ... "memo <first+count-1>", numbered from 000."""
    return b"".join(b"%03d memo %d\r\n" % (k, first + k) for k in range(count))


def delete_first_memo_rounds(test: harness.TestCase, rounds: int, left: int = 5) -> float:
    """Deletes the first memo `rounds` times in one run of the program, each time in the strip
    that the previous delete brought back, and checks every step; returns the seconds taken."""
    app = test.app
    total = rounds + left
    app.memo_path.write_bytes(numbered(0, total))
    app.start()
    window = app.wait_main_window()
    pid = window.pid
    harness.wait_until(lambda: app.combo(window.hwnd, COMBO)["count"] == total, 30, "the list to fill")

    began = time.monotonic()
    hwnd = window.hwnd
    for done in range(rounds):
        app.select_item(hwnd, COMBO, 0)
        if not app.click_button(hwnd, DELETE, timeout_ms=10000):
            test.fail("round %d: the delete handler did not return within 10 s" % done)
        found = app.find_windows(harness.MAIN_CLASS)
        if len(found) != 1 or found[0][0] == hwnd or not found[0][1]:
            test.fail("round %d: expected one new, visible main window; (hwnd, visible) of the main windows "
                      "before %d: %r" % (done, hwnd, found))
        hwnd = found[0][0]
        memo = app.memo_path.read_bytes()
        if memo != numbered(done + 1, total - done - 1):
            test.fail("round %d: memo.txt starts %r" % (done, memo[:60]))
        if done % 100 == 99:
            app.log("%d rounds in %.1f s" % (done + 1, time.monotonic() - began))
    elapsed = time.monotonic() - began
    app.log("%d rounds in %.1f s" % (rounds, elapsed))

    test.assertTrue(app.process_alive(pid), "the program still runs")
    test.assertEqual(app.memo_path.read_bytes(), numbered(rounds, left))
    windows = app.windows(harness.MAIN_CLASS)
    test.assertEqual(len(windows), 1, "exactly one main window")
    test.assertTrue(windows[0].visible)
    harness.wait_until(lambda: app.combo(windows[0].hwnd, COMBO)["items"] == ["memo %d" % (rounds + k) for k in range(left)],
                       10, "the last strip's list to hold the remaining memos")
    app.wait_tray_icons(1)
    sys.stderr.write("\n%d reloads in %.1f s (%.0f ms each)\n" % (rounds, elapsed, elapsed / rounds * 1000))
    return elapsed


class Reloads(harness.TestCase):
    TIMEOUT = 280  # CTest stops the file after 300 s

    def test_300_deletes_in_one_run(self):
        delete_first_memo_rounds(self, 300)


if __name__ == "__main__":
    harness.main()
