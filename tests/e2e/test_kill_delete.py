#!/usr/bin/python3
"""The real program ended with TerminateProcess at random moments while it
deletes a memo from a 10,000-memo file: memo.txt is always the whole old
content or the whole new content, never torn and never empty, and a
temporary file left by a kill (memo.txt.<pid>.tmp) is cleaned up by the
next delete.

TALLYNIX_KILLS sets the number of kills (default 25, so that the suite stays
quick; docs/reliability.md records a run of 200).
"""

import os
import random
import sys
import time

import harness
from harness import ids

COMBO, DELETE = ids.MEMO_LIST, ids.DELETE_BUTTON
MEMOS = 10_000
OLD = b"".join(("%03d メモ %d 番目の予定\r\n" % (k, k)).encode("cp932") for k in range(MEMOS))
NEW = b"".join(("%03d メモ %d 番目の予定\r\n" % (k - 1, k)).encode("cp932") for k in range(1, MEMOS))


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
        kills = int(os.environ.get("TALLYNIX_KILLS", "25"))
        seed = int(os.environ.get("TALLYNIX_KILL_SEED", str(random.randrange(1 << 30))))
        chance = random.Random(seed)
        def temporaries():
            return list(app.workdir.glob("memo.txt.*.tmp"))

        outcomes = {"old": 0, "new": 0, "leftover": 0}
        for round_ in range(kills):
            app.memo_path.write_bytes(OLD)
            window = self.start_with_full_list()
            app.select_item(window.hwnd, COMBO, 0)
            app.post_click(window.hwnd, DELETE)
            # Random moments over the delete: the rewrite itself is the first
            # few milliseconds after the click is handled, the reload after it.
            time.sleep(chance.uniform(0, 0.025))
            app.probe.call("terminate", window.pid)
            harness.wait_until(lambda: not app.program_processes(), 10, "the program to end")
            content = app.memo_path.read_bytes()
            if content == OLD:
                outcomes["old"] += 1
            elif content == NEW:
                outcomes["new"] += 1
            else:
                self.fail("round %d (seed %d): memo.txt torn: %d bytes, starting %r"
                          % (round_, seed, len(content), content[:40]))
            if temporaries():
                outcomes["leftover"] += 1

        # A delete that is let finish cleans up whatever a kill left behind.
        app.memo_path.write_bytes(OLD)
        window = self.start_with_full_list()
        app.select_item(window.hwnd, COMBO, 0)
        app.post_click(window.hwnd, DELETE)
        harness.wait_until(lambda: app.memo_path.read_bytes() == NEW, 20, "the last delete")
        self.assertEqual(temporaries(), [], "no temporary file after a finished delete")
        summary = ("%d kills during deletes of a %d-memo file (seed %d): memo.txt old %d, new %d, "
                   "torn 0; a temporary file left %d times, always cleaned by the next delete"
                   % (kills, MEMOS, seed, outcomes["old"], outcomes["new"], outcomes["leftover"]))
        sys.stderr.write("\n" + summary + "\n")
        app.record_fault("the program terminated (TerminateProcess) at random moments during a delete",
                         summary, True)


if __name__ == "__main__":
    harness.main()
