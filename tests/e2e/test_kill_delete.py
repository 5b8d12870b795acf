#!/usr/bin/python3
"""The real program ended with TerminateProcess while it deletes a memo from a
10,000-memo file. The rounds take turns:

- during the rewrite, by construction: another program holds memo.txt for
  readers (no replace), so the delete reads it, writes and flushes its
  temporary file and then waits to replace memo.txt; it is killed once the
  temporary file is complete;
- during its turn, before the rewrite: memo.txt is held without sharing, so
  the delete takes its turn (memo.txt.lock appears) and waits to read; it is
  killed then;
- at a random moment of an unhindered delete, as long as the rewrites above
  took to start, or a little more.

memo.txt is always the whole old or the whole new content (the old one when
held), a kill during the rewrite leaves its memo.txt.<pid>.tmp, and the next
delete, let finish, cleans up whatever was left: no temporary file, no lock.

TALLYNIX_KILLS sets the number of kills (default 24; docs/reliability.md
records a run of 200).
"""

import os
import random
import statistics
import sys
import time

import harness
from harness import ids

COMBO, DELETE = ids.MEMO_LIST, ids.DELETE_BUTTON
TITLE = "タリニクス"
MEMOS = 10_000
OLD = b"".join(("%03d メモ %d 番目の予定\r\n" % (k, k)).encode("cp932") for k in range(MEMOS))
NEW = b"".join(("%03d メモ %d 番目の予定\r\n" % (k - 1, k)).encode("cp932") for k in range(1, MEMOS))


def complete(temporary) -> bool:
    """Whether the rewrite's temporary file holds the whole new content."""
    try:
        return temporary.stat().st_size == len(NEW) and temporary.read_bytes() == NEW
    except FileNotFoundError:
        return False


class KillDuringDelete(harness.TestCase):
    TIMEOUT = 280

    def start_with_full_list(self):
        app = self.app
        app.start()
        window = app.wait_main_window()
        harness.wait_until(
            lambda: app.probe.call("combo-count", window.hwnd, COMBO)["count"] == MEMOS, 30,
            "the list to hold %d memos" % MEMOS)
        return window

    def test_terminated_deletes_never_tear_the_file(self):
        app = self.app
        kills = int(os.environ.get("TALLYNIX_KILLS", "24"))
        seed = int(os.environ.get("TALLYNIX_KILL_SEED", str(random.randrange(1 << 30))))
        chance = random.Random(seed)
        rewrite_starts = []  # seconds from the click to a complete temporary file
        outcomes = {"during": 0, "before": 0, "random old": 0, "random new": 0}
        lock = app.workdir / "memo.txt.lock"
        round_ = again = 0
        while round_ < kills:
            kind = ("during", "before", "random")[round_ % 3]
            app.memo_path.write_bytes(OLD)
            window = self.start_with_full_list()
            temporary = app.workdir / ("memo.txt.%d.tmp" % window.pid)
            temporary.unlink(missing_ok=True)  # a killed copy's, when Wine gives its id out again
            app.select_item(window.hwnd, COMBO, 0)
            if kind != "random":
                app.hold_memo_file(readers=kind == "during")
            app.post_click(window.hwnd, DELETE)
            clicked = time.monotonic()
            if kind != "random":
                # The program waits about a second on the held file; should this
                # machine miss that, the program says so, and the round starts again.
                def held_there():
                    if kind == "during" and complete(temporary) or kind == "before" and lock.exists():
                        return "held"
                    return app.message_box(TITLE) and "gave up"

                if harness.wait_until(held_there, 20, "the delete to wait %s the rewrite" % kind,
                                      interval=0.001) == "gave up":
                    app.log("the delete gave up before the kill: round %d again" % round_)
                    app.kill_program()
                    app.hold_memo_file(False)
                    again += 1
                    self.assertLess(again, 3, "the delete gave up on the held file before it could be killed")
                    continue
                if kind == "during":
                    rewrite_starts.append(time.monotonic() - clicked)
            else:
                time.sleep(chance.uniform(0, statistics.median(rewrite_starts) * 1.2))
            app.probe.call("terminate", window.pid)
            harness.wait_until(lambda: not app.program_processes(), 10, "the program to end")
            if kind != "random":
                app.hold_memo_file(False)
            content = app.memo_path.read_bytes()
            if content != OLD and (kind != "random" or content != NEW):
                self.fail("round %d (%s, seed %d): memo.txt torn: %d bytes, starting %r"
                          % (round_, kind, seed, len(content), content[:40]))
            if kind == "during":
                self.assertTrue(complete(temporary), "round %d: the rewrite killed is left" % round_)
            if kind == "before":
                self.assertFalse(temporary.exists(), "round %d: no rewrite began" % round_)
            outcomes["random " + ("new" if content == NEW else "old") if kind == "random" else kind] += 1
            round_ += 1

        # A delete that is let finish cleans up whatever the kills left behind.
        app.memo_path.write_bytes(OLD)
        window = self.start_with_full_list()
        app.select_item(window.hwnd, COMBO, 0)
        app.post_click(window.hwnd, DELETE)
        harness.wait_until(lambda: app.memo_path.read_bytes() == NEW, 20, "the last delete")
        harness.Strip(self, window).reloaded()
        self.assertEqual([p.name for p in app.workdir.iterdir()], ["memo.txt"],
                         "no temporary or lock file after a finished delete")
        summary = ("%d kills during deletes of a %d-memo file (seed %d; the temporary file was complete %.0f ms "
                   "after the click): %d in the rewrite with its temporary file complete (left, and cleaned by the "
                   "next delete), %d in the turn before it, %d at random moments (memo.txt old %d, new %d); "
                   "memo.txt torn 0 times"
                   % (kills, MEMOS, seed, statistics.median(rewrite_starts) * 1000, outcomes["during"],
                      outcomes["before"], outcomes["random old"] + outcomes["random new"], outcomes["random old"],
                      outcomes["random new"]))
        sys.stderr.write("\n" + summary + "\n")
        app.record_fault("the program terminated (TerminateProcess) in the rewrite of a delete, in its turn "
                         "before it, and at random moments", summary, NEW)


if __name__ == "__main__":
    harness.main()
