"""The Wine measurements of tallynix.exe beside the floor program (bench/floor/floor.cpp).

Everything runs in one private world built by the end-to-end harness
(tests/e2e/tallynix_e2e: Xvfb, a fresh Japanese Wine prefix, a 1024x768
virtual desktop kept alive by the harness's probe, built with the exe's
bitness). The probe also asks the few questions that need an answer from
inside the prefix (a combo box's item count, a window's visibility) without
fetching the items. One helper of the benchmarks joins it:

* xwatch (xwatch.c) watches the X server: inside the virtual desktop a Wine
  window has no X window of its own, so its pixels show up as XDamage on the
  root window. xwatch also makes the real clicks (XTest), and stamps both
  with CLOCK_MONOTONIC, the clock of time.monotonic() here.

The programs are launched with the Wine loader of their bitness (the
harness's world.wine_command: the process watched is the exe itself, not
start.exe) in the running desktop, tallynix and
the floor alternately, round after round; a warm-up round comes first and is
not counted. Per round and program:

  launch      Popen of the loader to the first damage inside the window's
              rectangle (0,0)-(336,20) (the taskbar's drawing is below it);
  rss         VmRSS of the exe's Linux process 2 s after those first pixels;
  rss tip     tallynix: VmRSS once the pointer has rested on 加 until its
              tooltip showed (the tooltip control is made then) and left;
  ctx visible voluntary + involuntary context switches of all its threads
              over the next 10 s, with the list focused (its caret blinks);
              for tallynix after that tooltip, the pointer parked;
  ctx hidden  the same over 10 s after hiding it (tallynix: a real click on
              its tiny hide button at screen (4,16); the floor has no such
              button: the pointer goes to (4,16) as well and the probe calls
              ShowWindow(SW_HIDE) on it), counted from 1 s after the window
              is seen hidden.

Then, tallynix alone (the floor has no memo list):

  outside N   the list holds N-1 items, its edit field focused; another
              writer replaces memo.txt (a file written beside it, then
              renamed over it, as a sync client or a second copy does) with
              N lines. From just before the rename to the moment a
              CB_GETCOUNT from the probe answers N (the window answers it
              only between its own messages, so not before the list is
              complete).
  refill N    the list holds N items as memo.txt does; "x" in the edit field
              and a real click on 加 append it and empty the list (the
              strip's own write: the list must stay empty), then a real click
              into the list's edit field at (100,10) refills it. From that
              click to the moment CB_GETCOUNT answers N+1. The last drawing
              in the list's rectangle after the click is recorded too.
  delete      with 10,000 memos listed, item 0 selected (CB_SETCURSEL 0 by
              the harness's probe), a real click on 削; to the moment a new
              visible main window answers CB_GETCOUNT = 9,999.

Against earlier builds (compare()), the floor's place goes to other
tallynix.exe files, which take turns with this one round after round in the
same world, each round in another order. Each turn launches the exe with
9,999 memos and, after one warm-up, measures a number of times in that
process: an outside change to 10,000, a refill of 10,001, then a delete at
10,000 (the figures above). Each round then launches every exe a few times
more with an empty memo.txt, for launch to first pixels.

Nothing sleeps to wait: every wait polls a condition against a deadline.
The only fixed periods are the measurement windows themselves (2 s before
reading VmRSS, 10 s of counting context switches, 1 s of settling after
hiding).
"""

from __future__ import annotations

import contextlib
import os
import signal
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import tallynix_e2e as harness  # noqa: E402  (the end-to-end harness: reused, not copied)
from tallynix_e2e import ids  # noqa: E402
from tallynix_e2e.world import program_pids, wine_command  # noqa: E402

WINDOW_RECT = (0, 0, 336, 20)        # where both programs' windows appear
LIST_RECT = (8, 0, 241, 20)          # tallynix's combo box
POINTER_PARK = (700, 400)            # nothing is drawn there
ADD_BUTTON = (252, 10)
LIST_EDIT = (100, 10)
DELETE_BUTTON = (276, 10)
HIDE_BUTTON = (4, 16)
COMBO_ID = ids.MEMO_LIST
TALLYNIX_CLASS = ids.MAIN_WINDOW_CLASS
FLOOR_CLASS = "tallynix.Floor"  # bench/floor/floor.cpp


def log(message: str):
    sys.stderr.write("[wine] %s\n" % message)
    sys.stderr.flush()


# --------------------------------------------------------------------------- the X helper


class XWatch:
    """xwatch as a child process: damage events in a list, clicks on request."""

    def __init__(self, exe: Path, env: dict):
        self._process = subprocess.Popen([str(exe)], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         env=env, text=True, bufsize=1)
        first = self._process.stdout.readline().strip()
        if first != "ready":
            raise harness.HarnessError("xwatch did not start: %r" % first)
        self.damage: list[tuple[float, int, int, int, int]] = []
        self._answers: list[tuple[str, float]] = []
        self._changed = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self._process.stdout:
            words = line.split()
            with self._changed:
                if words[0] == "D":
                    self.damage.append((float(words[1]), *map(int, words[2:6])))
                else:
                    self._answers.append((words[0], float(words[1])))
                self._changed.notify_all()

    def _command(self, kind: str, text: str) -> float:
        with self._changed:
            self._answers.clear()
            self._process.stdin.write(text + "\n")
            self._process.stdin.flush()
            if not self._changed.wait_for(lambda: self._answers, timeout=10):
                raise harness.HarnessError("xwatch did not answer %r" % text)
            return self._answers[0][1]

    def move(self, x: int, y: int) -> float:
        return self._command("M", "move %d %d" % (x, y))

    def click(self, x: int, y: int) -> float:
        """A real left click; returns the time just before the press went to the server."""
        return self._command("C", "click %d %d" % (x, y))

    @staticmethod
    def _hits(event, rect, caret: bool) -> bool:
        _, x, y, w, h = event
        left, top, right, bottom = rect
        if not caret and w <= 2:
            return False  # a blinking caret is 1 pixel wide
        return x < right and x + w > left and y < bottom and y + h > top

    def first_damage(self, after: float, rect, timeout: float) -> float:
        """Time of the first drawing inside rect after `after` (a blinking caret counts)."""
        def found():
            return next((e[0] for e in self.damage if e[0] >= after and self._hits(e, rect, True)), None)
        with self._changed:
            if not self._changed.wait_for(found, timeout=timeout):
                raise AssertionError("nothing was drawn in %s within %s s" % (rect, timeout))
            return found()

    def last_damage(self, after: float, rect) -> float | None:
        with self._changed:
            times = [e[0] for e in self.damage if e[0] >= after and self._hits(e, rect, False)]
        return max(times) if times else None

    def wait_quiet(self, rect, quiet: float = 0.3, timeout: float = 10):
        """Waits until nothing but a caret has been drawn in rect for `quiet` seconds."""
        def settled():
            with self._changed:
                times = [e[0] for e in self.damage if self._hits(e, rect, False)]
            return time.monotonic() - max(times, default=0.0) >= quiet
        harness.wait_until(settled, timeout, "the screen to settle in %s" % (rect,), interval=0.05)

    def forget(self):
        with self._changed:
            self.damage.clear()

    def close(self):
        with contextlib.suppress(Exception):
            self._process.stdin.write("quit\n")
            self._process.stdin.flush()
            self._process.wait(timeout=5)
        if self._process.poll() is None:
            self._process.kill()
            self._process.wait(timeout=5)


# --------------------------------------------------------------------------- /proc


def proc_status(pid: int) -> dict[str, str]:
    fields = {}
    for line in Path("/proc/%d/status" % pid).read_text().splitlines():
        key, _, value = line.partition(":")
        fields[key] = value.strip()
    return fields


def rss_kib(pid: int) -> int:
    return int(proc_status(pid)["VmRSS"].split()[0])


def context_switches(pid: int) -> int:
    """Voluntary plus involuntary switches of every thread of the process."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with contextlib.suppress(OSError):
            for line in Path("/proc/%d/task/%s/status" % (pid, task)).read_text().splitlines():
                if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                    total += int(line.split(":")[1])
    return total


# --------------------------------------------------------------------------- the world


class World:
    def __init__(self, tallynix: Path, floor: Path | None, probe: Path, xwatch: Path, work_dir: Path,
                 artifacts: Path, others: dict[str, Path] | None = None):
        """`others`: more tallynix.exe files by name (earlier builds), in place of or beside the floor."""
        self.exes = {"tallynix": tallynix, "floor": floor, **(others or {})}
        self.classes = {"tallynix": TALLYNIX_CLASS, "floor": FLOOR_CLASS,
                        **{name: TALLYNIX_CLASS for name in others or {}}}
        config = harness.Config(probe=probe, exe=tallynix, work_dir=work_dir, artifacts=artifacts)
        self.session = harness.Session(config, "bench")
        self.session.boot()
        self.bench = self.session.probe
        self.x = XWatch(xwatch, self.session.env)
        self._logs = []

    def close(self):
        with contextlib.suppress(Exception):
            self.x.close()
        self.session.close()
        for handle in self._logs:
            handle.close()

    # ---- programs

    def find(self, which: str) -> dict:
        """hwnd (0: none) and visibility of the program's first window."""
        found = self.bench.call("find", harness.hex_text(self.classes[which]))["windows"]
        return found[0] if found else {"hwnd": 0, "visible": False}

    def launch(self, which: str) -> dict:
        """Starts a program; returns its process, pids, window and launch time (s)."""
        self.x.move(*POINTER_PARK)
        self.x.wait_quiet(WINDOW_RECT)
        log_file = open(self.session.artifacts / ("%s.log" % which), "ab")
        self._logs.append(log_file)
        start = time.monotonic()
        process = subprocess.Popen(wine_command(self.exes[which]), cwd=self.session.workdir,
                                   env=self.session.env, stdout=log_file, stderr=log_file,
                                   start_new_session=True)
        shown = self.x.first_damage(start, WINDOW_RECT, timeout=60)
        window = harness.wait_until(lambda: (lambda w: w if w["hwnd"] and w["visible"] else None)(self.find(which)),
                                    20, "the %s window" % which)
        return {"process": process, "start": start, "shown": shown, "launch": shown - start,
                "hwnd": window["hwnd"], "pid": self.linux_pid(which)}

    def linux_pid(self, which: str) -> int:
        """The Unix pid of the program's own process (never a start.exe in front of it)."""
        name = self.exes[which].name
        pids = harness.wait_until(lambda: program_pids(self.session.prefix, name), 20,
                                  "the Linux process of %s" % name)
        return pids[0]

    def stop(self, which: str, run: dict):
        """Asks the program to close (WM_CLOSE) and waits for it to end; kills it if it does not."""
        with contextlib.suppress(harness.ProbeError):
            self.session.close_window(run["hwnd"])
        try:
            run["process"].wait(timeout=15)
        except subprocess.TimeoutExpired:
            log("%s did not end on WM_CLOSE; killing it" % which)
            with contextlib.suppress(ProcessLookupError):
                os.kill(run["pid"], signal.SIGKILL)
            run["process"].wait(timeout=10)
        harness.wait_until(lambda: not self.find(which)["hwnd"], 10, "the %s window to go" % which)

    def hide(self, which: str, run: dict):
        if which == "tallynix":
            self.x.click(*HIDE_BUTTON)
        else:
            # The pointer goes where the click on tallynix's hide button leaves it.
            self.x.move(*HIDE_BUTTON)
            self.bench.call("hide", run["hwnd"])
        harness.wait_until(lambda: not self.find(which)["visible"], 10, "the %s window to hide" % which)

    def first_tooltip(self, run: dict) -> int:
        """Rests the pointer on 加 until its tooltip shows, then parks it until the tip is gone;
        returns VmRSS then. The visible figure that follows is counted after a tooltip."""
        def tips() -> int:
            return sum(w["visible"] for w in self.bench.call("find", harness.hex_text("tooltips_class32"))["windows"])
        self.x.move(*ADD_BUTTON)
        harness.wait_until(tips, 10, "the tooltip of 加")
        self.x.move(*POINTER_PARK)
        harness.wait_until(lambda: not tips(), 10, "the tooltip to go")
        return rss_kib(run["pid"])

    def list_focused(self, run: dict) -> bool:
        focus = self.session.focus(run["hwnd"])
        return focus["focus_class"] == "Edit"

    # ---- one round of the launch, memory and idle figures

    def idle_round(self, which: str, idle_seconds: float) -> dict:
        """Launch, memory and idle figures of one program; with idle_seconds 0 the launch alone."""
        run = self.launch(which)
        try:
            if idle_seconds <= 0:
                return {"launch_ms": run["launch"] * 1000}
            harness.wait_until(lambda: self.list_focused(run), 5, "the %s list to have the focus" % which)
            pause_until(run["shown"] + 2.0)
            result = {"launch_ms": run["launch"] * 1000, "rss_kib": rss_kib(run["pid"])}
            if which == "tallynix":
                result["rss_tip_kib"] = self.first_tooltip(run)
            before = context_switches(run["pid"])
            pause_until(time.monotonic() + idle_seconds)
            result["ctx_visible"] = context_switches(run["pid"]) - before
            self.hide(which, run)
            pause_until(time.monotonic() + 1.0)
            before = context_switches(run["pid"])
            pause_until(time.monotonic() + idle_seconds)
            result["ctx_hidden"] = context_switches(run["pid"]) - before
            return result
        finally:
            self.stop(which, run)

    # ---- tallynix's list

    def write_memos(self, count: int):
        self.session.memo_path.write_bytes(memo_bytes(count))

    def outside_change(self, run: dict, count: int) -> dict:
        """Another writer replaces memo.txt with `count` memos: to the moment the list holds them."""
        other = self.session.memo_path.with_name("memo.txt.other")
        other.write_bytes(memo_bytes(count))
        self.x.wait_quiet(WINDOW_RECT)
        changed = time.monotonic()
        os.replace(other, self.session.memo_path)
        answer = self.bench.call("wait-count", run["hwnd"], COMBO_ID, count, 30000, timeout=40)
        done = time.monotonic()
        if not answer["reached"]:
            raise AssertionError("the list holds %s items, expected %d" % (answer["count"], count))
        return {"ms": (done - changed) * 1000}

    def refill(self, run: dict, expect: int, rect=LIST_RECT) -> dict:
        """Add "x" with 加 (the list empties, focus leaves it), then click into the list: it refills."""
        self.session.set_text(run["hwnd"], COMBO_ID, "x")
        self.x.click(*ADD_BUTTON)
        harness.wait_until(lambda: self.session.focus(run["hwnd"])["focus_class"] == "Button", 5,
                           "the focus to move to the add button")
        self.x.wait_quiet(WINDOW_RECT)
        left = self.bench.call("combo-count", run["hwnd"], COMBO_ID)["count"]
        if left != 0:
            raise AssertionError("after its own add the list holds %s items, expected 0" % left)
        clicked = self.x.click(*LIST_EDIT)
        answer = self.bench.call("wait-count", run["hwnd"], COMBO_ID, expect, 30000, timeout=40)
        done = time.monotonic()
        if not answer["reached"]:
            raise AssertionError("the list holds %s items, expected %d" % (answer["count"], expect))
        self.x.wait_quiet(WINDOW_RECT)
        painted = self.x.last_damage(clicked, rect)
        return {"ms": (done - clicked) * 1000, "paint_ms": (painted - clicked) * 1000 if painted else None}

    def delete_first(self, run: dict, expect: int) -> dict:
        self.session.select_item(run["hwnd"], COMBO_ID, 0)
        self.x.wait_quiet(WINDOW_RECT)
        clicked = self.x.click(*DELETE_BUTTON)
        answer = self.bench.call("wait-new", harness.hex_text(TALLYNIX_CLASS), run["hwnd"], COMBO_ID, expect, 30000, timeout=40)
        done = time.monotonic()
        if not answer["reached"]:
            raise AssertionError("after the delete: window %s holds %s items, expected %d"
                                 % (answer["hwnd"], answer["count"], expect))
        run["hwnd"] = answer["hwnd"]
        self.x.wait_quiet(WINDOW_RECT)
        painted = self.x.last_damage(clicked, WINDOW_RECT)
        return {"ms": (done - clicked) * 1000, "paint_ms": (painted - clicked) * 1000 if painted else None}

    def edit_turn(self, which: str, samples: int) -> dict:
        """One exe's turn against the others: launched with 9,999 memos, then, after a warm-up,
        `samples` times an outside change to 10,000, a refill of 10,001 and a delete at 10,000."""
        self.write_memos(9999)
        run = self.launch(which)
        figures: dict = {"launch_ms": run["launch"] * 1000, "outside": [], "refill": [], "delete": []}
        try:
            self.bench.call("wait-count", run["hwnd"], COMBO_ID, 9999, 30000, timeout=40)
            for k in range(samples + 1):
                shown = self.outside_change(run, 10000)
                refill = self.refill(run, 10001)
                self.outside_change(run, 10000)
                delete = self.delete_first(run, 9999)
                if k > 0:  # the first is a warm-up
                    figures["outside"].append(shown["ms"])
                    figures["refill"].append(refill["ms"])
                    figures["delete"].append(delete["ms"])
        finally:
            self.stop(which, run)
        return figures


PIECES = ["牛乳を買う", "10時 打ち合わせ", "田中さんに電話", "ToDo:", "会議室B", "資料を印刷する",
          "メール返信", "PDF を送る", "締切 12/15", "歯医者の予約", "ゴミ出し(水)", "パスワード変更",
          "見積もり 3 件", "Zoom 14:30", "宅配便 受け取り", "請求書 No.4521", "週報を書く"]


def memo_bytes(count: int) -> bytes:
    return "".join("%03d %s\r\n" % (i, memo_text(i)) for i in range(count)).encode("cp932")


def memo_text(i: int) -> str:
    """A typical one-line memo, Japanese mixed with ASCII."""
    return "%s %s" % (PIECES[(i * 7) % len(PIECES)], PIECES[(i * 11 + 3) % len(PIECES)])


def pause_until(moment: float):
    """The end of a fixed measurement window (not a wait for a condition)."""
    left = moment - time.monotonic()
    if left > 0:
        time.sleep(left)


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


# --------------------------------------------------------------------------- the whole run


def measure(paths: dict, rounds: int = 7, idle_seconds: float = 10.0, launch_pairs: int = 2,
            edit_rounds: int | None = None) -> dict:
    """Runs every Wine measurement (edit_rounds 0: no refill and delete); returns the raw figures per round."""
    edit_rounds = rounds if edit_rounds is None else edit_rounds
    world = World(**paths)
    results: dict = {"rounds": rounds, "idle_seconds": idle_seconds, "tallynix": [], "floor": [],
                     "launch_pairs": [], "refill": {}, "outside": {}, "delete": []}
    try:
        world.write_memos(0)
        log("warm-up round")
        for which in ("tallynix", "floor"):
            world.idle_round(which, 0)
        for k in range(rounds):
            # Alternate which program goes first, so neither always follows the other.
            order = ("tallynix", "floor") if k % 2 == 0 else ("floor", "tallynix")
            for which in order:
                figures = world.idle_round(which, idle_seconds)
                results[which].append(figures)
                log("round %d %-8s %s" % (k + 1, which, figures))
            results["launch_pairs"].append((results["tallynix"][-1]["launch_ms"], results["floor"][-1]["launch_ms"]))
            for j in range(launch_pairs):
                launched = {}
                for which in (order if j % 2 else order[::-1]):
                    launched[which] = world.idle_round(which, 0)["launch_ms"]
                results["launch_pairs"].append((launched["tallynix"], launched["floor"]))
            log("round %d launch pairs %s" % (k + 1, results["launch_pairs"][-1 - launch_pairs:]))

        if edit_rounds:  # 0: the launch, memory and idle figures only
            for count in (1000, 10000):
                world.write_memos(count - 1)
                run = world.launch("tallynix")
                try:
                    world.bench.call("wait-count", run["hwnd"], COMBO_ID, count - 1, 30000, timeout=40)
                    times, outside = [], []
                    for k in range(edit_rounds + 1):
                        shown = world.outside_change(run, count)
                        figures = world.refill(run, count + 1)
                        if k > 0:  # the first is a warm-up
                            times.append(figures)
                            outside.append(shown)
                            log("outside change %d round %d %s; refill %s" % (count, k, shown, figures))
                        world.outside_change(run, count - 1)
                    results["refill"][str(count)] = times
                    results["outside"][str(count)] = outside
                finally:
                    world.stop("tallynix", run)

            world.write_memos(10000)
            run = world.launch("tallynix")
            try:
                world.bench.call("wait-count", run["hwnd"], COMBO_ID, 10000, 30000, timeout=40)
                for k in range(edit_rounds + 1):
                    figures = world.delete_first(run, 9999)
                    if k > 0:
                        results["delete"].append(figures)
                        log("delete round %d %s" % (k, figures))
                    world.outside_change(run, 10000)
            finally:
                world.stop("tallynix", run)
    finally:
        world.close()
    return results


def compare(paths: dict, others: dict[str, Path], rounds: int = 7, samples: int = 3, launches: int = 2) -> dict:
    """This tree's exe (paths["tallynix"]) and `others` take turns (World.edit_turn), a warm-up turn
    each first, then `rounds` rounds, each in another order, each ending with `launches` launches of
    every exe; returns the figures per exe and turn."""
    world = World(**{**paths, "floor": None}, others=others)
    names = ["tallynix", *others]
    results: dict = {"rounds": rounds, "samples": samples, "names": names,
                     "exes": {name: str(world.exes[name]) for name in names},
                     "turns": {name: [] for name in names}, "launch_ms": {name: [] for name in names},
                     "load": []}
    try:
        log("warm-up turns")
        for name in names:
            world.edit_turn(name, 0)
        for k in range(rounds):
            results["load"].append(os.getloadavg())
            order = names[k % len(names):] + names[:k % len(names)]
            for name in order:
                figures = world.edit_turn(name, samples)
                results["turns"][name].append(figures)
                log("round %d %-10s refill %s delete %s" % (
                    k + 1, name, " ".join("%.0f" % v for v in figures["refill"]),
                    " ".join("%.0f" % v for v in figures["delete"])))
            world.write_memos(0)
            for j in range(launches):
                for name in order if j % 2 else order[::-1]:
                    results["launch_ms"][name].append(world.idle_round(name, 0)["launch_ms"])
    finally:
        world.close()
    return results
