#!/usr/bin/python3
"""The real program ended with TerminateProcess while it deletes a memo from a
10,000-memo file, every other time the moment its temporary file appears (in
the rewrite), else at a random moment before the rewrite's start as measured
in the same run. memo.txt is always the whole old or the whole new content;
kills landed both before the rewrite and during it (its memo.txt.<pid>.tmp
left, which the next delete cleans up).

TALLYNIX_KILLS sets the number of kills (default 25; docs/reliability.md
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
        rewrite_starts = []  # seconds from the click to the temporary file, as seen in this run
        outcomes = {"before": 0, "during": 0, "after": 0}
        for round_ in range(kills):
            app.memo_path.write_bytes(OLD)
            window = self.start_with_full_list()
            temporary = app.workdir / ("memo.txt.%d.tmp" % window.pid)
            temporary.unlink(missing_ok=True)  # a killed copy's, when Wine gives its id out again
            app.select_item(window.hwnd, COMBO, 0)
            app.post_click(window.hwnd, DELETE)
            clicked = time.monotonic()
            if round_ % 2 == 0:
                # On a busy machine the whole rewrite can fall between two looks.
                harness.wait_until(lambda: temporary.exists() or app.memo_path.stat().st_size != len(OLD), 20,
                                   "the rewrite's temporary file", interval=0.001)
                rewrite_starts.append(time.monotonic() - clicked)
            else:
                time.sleep(chance.uniform(0, statistics.median(rewrite_starts)))
            app.probe.call("terminate", window.pid)
            harness.wait_until(lambda: not app.program_processes(), 10, "the program to end")
            content = app.memo_path.read_bytes()
            if content not in (OLD, NEW):
                self.fail("round %d (seed %d): memo.txt torn: %d bytes, starting %r"
                          % (round_, seed, len(content), content[:40]))
            outcomes["after" if content == NEW else "during" if temporary.exists() else "before"] += 1

        # A delete that is let finish cleans up whatever a kill left behind.
        app.memo_path.write_bytes(OLD)
        window = self.start_with_full_list()
        app.select_item(window.hwnd, COMBO, 0)
        app.post_click(window.hwnd, DELETE)
        harness.wait_until(lambda: app.memo_path.read_bytes() == NEW, 20, "the last delete")
        self.assertEqual(list(app.workdir.glob("memo.txt.*.tmp")), [], "no temporary file after a finished delete")
        summary = ("%d kills during deletes of a %d-memo file (seed %d; the rewrite began %.0f ms after the "
                   "click): before the rewrite %d, during it %d (its temporary file left, always cleaned by "
                   "the next delete), after it %d; memo.txt torn 0 times"
                   % (kills, MEMOS, seed, statistics.median(rewrite_starts) * 1000, outcomes["before"],
                      outcomes["during"], outcomes["after"]))
        sys.stderr.write("\n" + summary + "\n")
        self.assertTrue(outcomes["before"] and outcomes["during"], "kills before and during the rewrite: " + summary)
        app.record_fault("the program terminated (TerminateProcess) before and during the rewrite of a delete",
                         summary, NEW)


if __name__ == "__main__":
    harness.main()
