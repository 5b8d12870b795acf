#!/usr/bin/env python3
"""Kills a deletion at random moments and during its rewrite, and checks that
memo.txt survives.

Each run writes a memo.txt of 10,000 memos and starts crash_delete on it.
Every other run is held (crash_delete --hold) once its temporary file is
complete, right before that replaces memo.txt, and killed there: a kill
during the rewrite, by construction. The other runs get SIGKILL a random
time after "start", drawn uniformly between 0 and a little more than the
typical deletion measured beforehand (its median, plus a tenth), so that
those kills fall anywhere in it (reading, the new content, writing and
flushing the temporary file, the rename) or after it. After each kill:

- memo.txt holds byte for byte either the whole old content or the whole
  new one (never a mixture, a part or nothing); a held run's holds the old
  one, and its temporary file holds the whole new one;
- a temporary file left behind (memo.txt.<pid>.tmp) is harmless: the next
  deletion succeeds, gives the right content and removes it, since the
  process that wrote it is gone.

Prints the counts and exits non-zero on any violation. With --in-place the
deletions use crash_delete's unsafe in-place rewrite instead, to show that
the loop catches a torn file.
"""

import argparse
import os
import random
import re
import select
import shutil
import signal
import statistics
import subprocess
import sys
import time

MEMO = "memo.txt"
TEMPORARY = re.compile(re.escape(MEMO) + r"\.\d+\.tmp$")
STEP_TIMEOUT = 30.0  # seconds for any one process to report or end


def memo_texts(count):
    """Memo texts in code page 932 bytes, of varying length, some Japanese."""
    rng = random.Random(932)
    japanese = "日本語のメモ、買い物リスト：牛乳と卵".encode("cp932")
    texts = []
    for i in range(count):
        text = b"memo %d " % i + japanese[: rng.randrange(0, len(japanese) // 2) * 2]
        texts.append(text + b" " * rng.randrange(0, 3) + b"x" * rng.randrange(0, 60))
    return texts


def render(texts):
    return b"".join(b"%03d %s\r\n" % (k, t) for k, t in enumerate(texts))


def without(texts, index):
    return texts[:index] + texts[index + 1:]


class Violation(Exception):
    pass


def read_line(proc, deadline):
    """One line of the child's output, waiting at most until `deadline`."""
    line = b""
    fd = proc.stdout.fileno()
    while not line.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0:
            raise Violation("crash_delete did not report in time")
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            chunk = os.read(fd, 1)
            if not chunk:
                return line
            line += chunk
    return line


def start(binary, folder, index, hold=False):
    command = binary + (["--hold"] if hold and len(binary) == 1 else [])  # not with --in-place
    proc = subprocess.Popen(command + [folder, str(index)], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    if read_line(proc, time.monotonic() + STEP_TIMEOUT) != b"start\n":
        proc.kill()
        proc.wait()
        raise Violation("crash_delete did not start: " + proc.stderr.read().decode(errors="replace"))
    return proc


def finish(proc):
    """Waits for a deletion left to run; returns its own time in seconds."""
    try:
        out, err = proc.communicate(timeout=STEP_TIMEOUT)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        raise Violation("crash_delete did not finish in time")
    if proc.returncode != 0 or not out.startswith(b"done "):
        raise Violation("deletion failed (exit %s): %s" % (proc.returncode, err.decode(errors="replace")))
    return int(out.split()[1]) / 1e9


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binary", help="the crash_delete program")
    parser.add_argument("folder", help="a scratch folder (emptied first)")
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--memos", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--in-place", action="store_true",
                        help="rewrite unsafely in place (the loop must then fail)")
    args = parser.parse_args()
    binary = [args.binary] + (["--in-place"] if args.in_place else [])

    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    shutil.rmtree(args.folder, ignore_errors=True)
    os.makedirs(args.folder)
    memo = os.path.join(args.folder, MEMO)
    def temporaries():
        return [name for name in os.listdir(args.folder) if TEMPORARY.match(name)]
    texts = memo_texts(args.memos)
    old = render(texts)

    # How long a deletion takes here, from its "start" to its end as the
    # driver sees it: the window the kills are spread over.
    windows = []
    own = []
    for _ in range(7):
        write(memo, old)
        try:
            proc = start(binary, args.folder, args.memos // 2)
            began = time.monotonic()
            own.append(finish(proc))
        except Violation as violation:
            raise SystemExit("kill_delete: an uninterrupted deletion failed: %s" % violation)
        windows.append(time.monotonic() - began)
        if read(memo) != render(without(texts, args.memos // 2)):
            raise SystemExit("kill_delete: an uninterrupted deletion gave the wrong content")
    window = statistics.median(windows) * 1.1
    print("kill_delete: seed %d, %d memos (%d bytes), deletion %.1f ms (median of its own "
          "timing), kills spread over 0..%.1f ms" % (seed, args.memos, len(old),
                                                    statistics.median(own) * 1e3, window * 1e3))

    counts = {"old": 0, "new": 0, "torn": 0, "leftover": 0, "killed": 0, "finished": 0, "held": 0, "random": 0}
    violations = []
    for run in range(args.runs):
        index = rng.randrange(args.memos)
        new = render(without(texts, index))
        for name in [MEMO] + temporaries():
            if os.path.exists(os.path.join(args.folder, name)):
                os.remove(os.path.join(args.folder, name))
        write(memo, old)
        held = run % 2 == 0
        delay = 0.0 if held else rng.uniform(0, window)
        try:
            proc = start(binary, args.folder, index, hold=held)
            if held:
                # Held with its temporary file complete, memo.txt not yet replaced.
                line = read_line(proc, time.monotonic() + STEP_TIMEOUT)
                if line != b"written\n":
                    proc.kill()
                    proc.communicate(timeout=STEP_TIMEOUT)
                    raise Violation("the deletion never held with its rewrite written (%r)" % line)
                counts["held"] += 1
                written = [read(os.path.join(args.folder, name)) for name in temporaries()]
                if written != [new] or read(memo) != old:
                    proc.kill()
                    proc.communicate(timeout=STEP_TIMEOUT)
                    raise Violation("held before the replace without a complete temporary file")
            else:
                counts["random"] += 1
                time.sleep(delay)
            proc.send_signal(signal.SIGKILL)
            proc.communicate(timeout=STEP_TIMEOUT)
            counts["killed" if proc.returncode == -signal.SIGKILL else "finished"] += 1

            if not os.path.exists(memo):
                counts["torn"] += 1
                raise Violation("memo.txt is gone")
            after = read(memo)
            if after == old:
                counts["old"] += 1
                expected = new
            elif after == new and not held:
                counts["new"] += 1
                expected = render(without(without(texts, index), index))
            else:
                counts["torn"] += 1
                raise Violation("memo.txt is %s: %d bytes, old %d, new %d" % (
                    "replaced while held" if held and after == new else "torn", len(after), len(old), len(new)))
            if temporaries():
                counts["leftover"] += 1
                if proc.returncode == 0:
                    raise Violation("a finished deletion left a temporary file")
            elif held:
                raise Violation("a deletion killed during its rewrite left no temporary file")

            # The next deletion, left to run, cleans up whatever was left.
            finish(start(binary, args.folder, index))
            if read(memo) != expected:
                raise Violation("the deletion after the kill gave the wrong content")
            if temporaries():
                raise Violation("the deletion after the kill left %s" % temporaries())
        except Violation as violation:
            violations.append("run %d (index %d, %s): %s" % (
                run, index, "held in its rewrite" if held else "kill after %.3f ms" % (delay * 1e3), violation))
            print("kill_delete: VIOLATION " + violations[-1], flush=True)

    print("kill_delete: %d runs: %d killed in their rewrite with its temporary file complete, %d at random "
          "moments (%d of those finished first); memo.txt old %d (temporary file left %d), new %d, torn or "
          "missing %d; violations %d" % (args.runs, counts["held"], counts["random"],
                                         counts["finished"], counts["old"], counts["leftover"], counts["new"],
                                         counts["torn"], len(violations)))
    if violations:
        return 1
    shutil.rmtree(args.folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
