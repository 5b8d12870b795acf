"""The session: one test's X server, Wine prefix, working directory, probe and program,
and what a test does with them."""

from __future__ import annotations

import argparse
import contextlib
import dataclasses
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

from . import ids, images, world
from .images import Image
from .probe import Control, Probe, Window, hex_text
from .world import HarnessError, wait_until

POSITION_KEY = "HKCU\\Software\\tallynix\\WindowPosition"
ENDSESSION_CLOSEAPP = 0x1

# A notification-area slot with at least this many dark pixels holds an icon.
MIN_ICON_PIXELS = 8


@dataclasses.dataclass
class Config:
    probe: Path
    exe: Path
    work_dir: Path
    artifacts: Path
    keep: bool = False


def parse_config(argv: list[str]) -> tuple[Config, list[str]]:
    default_build = Path(__file__).resolve().parents[3] / "build" / "win64"
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--probe", default=os.environ.get("TALLYNIX_E2E_PROBE", default_build / "tests/e2e/tallynix_probe.exe"))
    parser.add_argument("--exe", default=os.environ.get("TALLYNIX_E2E_EXE", default_build / "tallynix.exe"))
    parser.add_argument("--work-dir", default=os.environ.get("TALLYNIX_E2E_WORK", default_build / "e2e-work"))
    parser.add_argument("--artifacts", default=os.environ.get("TALLYNIX_E2E_ARTIFACTS", default_build / "e2e-artifacts"))
    parser.add_argument("--keep", action="store_true", help="keep each test's prefix and working directory")
    known, rest = parser.parse_known_args(argv)
    config = Config(
        probe=Path(known.probe).resolve(), exe=Path(known.exe).resolve(), work_dir=Path(known.work_dir).resolve(),
        artifacts=Path(known.artifacts).resolve(), keep=known.keep,
    )
    for label, path in (("probe", config.probe), ("program", config.exe)):
        if not path.is_file():
            raise SystemExit("e2e: the %s is missing: %s" % (label, path))
    if not world.is_64_bit(config.exe) and not world.wine32_runs():
        raise SystemExit("e2e: %s is a 32-bit exe and 32-bit Wine does not run here" % config.exe)
    missing = [tool for tool in world.REQUIRED_TOOLS if not shutil.which(tool)]
    if missing:
        raise SystemExit("e2e: missing %s (scripts/install-deps installs them)" % ", ".join(missing))
    return config, rest


_config: Config | None = None


def config() -> Config:
    """The configuration of this run: set by use_config(), else from the environment and the defaults."""
    global _config
    if _config is None:
        _config, _ = parse_config([])
    return _config


def use_config(chosen: Config):
    global _config
    _config = chosen


class Session:
    """One test's X server, Wine prefix, working directory, probe and program."""

    def __init__(self, config: Config, name: str):
        self.config = config
        self.name = name
        self.artifacts = config.artifacts / name
        shutil.rmtree(self.artifacts, ignore_errors=True)
        self.artifacts.mkdir(parents=True, exist_ok=True)
        self._log_file = open(self.artifacts / "harness.log", "a", encoding="utf-8")
        self._started = time.monotonic()
        self._xserver: world.XServer | None = None
        self._probe: Probe | None = None
        self._app_processes: list[subprocess.Popen] = []  # the program's and Notepad's
        self._program: subprocess.Popen | None = None  # the program started last
        self._run_dir: Path | None = None
        self._closed = False
        try:
            self._open()
        except BaseException:
            self.close()
            raise

    # ---- set-up and tear-down

    def _open(self):
        template = world.ensure_template(self.config.work_dir)
        self.log("template ready")
        run_root = self.config.work_dir / "run"
        run_root.mkdir(parents=True, exist_ok=True)
        self._run_dir = Path(tempfile.mkdtemp(prefix=self.name + "-", dir=run_root))
        self.prefix = self._run_dir / "prefix"
        world.copy_prefix(template, self.prefix)
        self.workdir = self._run_dir / "cwd"
        self.workdir.mkdir()
        self.log("prefix copied")
        self._xserver = world.XServer(self.artifacts / "xvfb.log")
        self.display = self._xserver.display
        self.env = world.wine_env(self.prefix, self.config.exe, DISPLAY=self.display)
        self.log("X server on %s" % self.display)

    def close(self):
        """Stops everything this session started; safe to call twice and after a failed start."""
        if self._closed:
            return
        self._closed = True
        if self._run_dir and (self._run_dir / "prefix").exists():
            self._stop_wine()
        if self._probe:
            self._probe.close()
        for process in self._app_processes:
            with contextlib.suppress(Exception):
                process.wait(timeout=2)
        if self._xserver:
            with contextlib.suppress(Exception):
                self._xserver.stop()
            self.log("X server stopped")
        if self._run_dir and not self.config.keep:
            shutil.rmtree(self._run_dir, ignore_errors=True)
        self.log("torn down")
        self._log_file.close()

    def _stop_wine(self):
        world.stop_wine(self.prefix, self.env)
        self.log("wine stopped")

    @property
    def x_running(self) -> bool:
        return self._xserver is not None

    def log(self, message: str):
        self._log_file.write("%7.3f %s\n" % (time.monotonic() - self._started, message))
        self._log_file.flush()

    # ---- Wine

    @property
    def booted(self) -> bool:
        return self._probe is not None

    def boot(self):
        """Starts the prefix (wineserver, services, virtual desktop) and the probe. Idempotent."""
        if self._probe is None:
            self._probe = Probe(self.config.probe, self.env, self.workdir, self.artifacts / "probe.log", timeout=60)
            self.log("probe ready")

    @property
    def probe(self) -> Probe:
        """The running probe; a new one replaces a probe that has ended (after a timeout, say)."""
        if self._probe is not None and not self._probe.alive:
            self.log("probe ended; starting a new one")
            self._probe.close()
            self._probe = None
        self.boot()
        return self._probe

    def set_registry(self, path: str, name: str, value: str | int):
        """Sets a registry value (str: REG_SZ, int: REG_DWORD). Before boot() it is written into the
        prefix's files, so that even Wine's own start-up (the desktop, the taskbar) sees it."""
        if self.booted:
            kind, data = ("dword", value) if isinstance(value, int) else ("sz", hex_text(value))
            self.probe.call("reg-set", hex_text(path), hex_text(name), kind, data)
        else:
            world.write_registry_file_value(self.prefix, path, name, value)

    def delete_registry(self, path: str, name: str | None = None):
        args = [hex_text(path)] + ([hex_text(name)] if name is not None else [])
        self.probe.call("reg-delete", *args)

    def get_registry(self, path: str, name: str) -> str | int | None:
        """A registry value as the running prefix sees it, None when absent."""
        answer = self.probe.call("reg-get", hex_text(path), hex_text(name))
        return answer.get("value") if answer["exists"] else None

    def set_locale(self, lang: str):
        """Runs the prefix under another Unix locale (before boot()): Wine takes its ANSI code page from
        it, so C.UTF-8 gives 1252 as on an English Windows."""
        if self.booted:
            raise HarnessError("set_locale must come before the prefix boots")
        self.env.update(LANG=lang, LC_ALL=lang)

    def set_dpi(self, dpi: int):
        self.set_registry("HKCU\\Control Panel\\Desktop", "LogPixels", dpi)

    def set_stored_position(self, left: str | None, top: str | None):
        """Stores the window position texts (twips) as the program would."""
        for name, value in (("Left", left), ("Top", top)):
            if value is not None:
                self.set_registry(POSITION_KEY, name, value)

    def stored_position(self) -> tuple[str | None, str | None]:
        return self.get_registry(POSITION_KEY, "Left"), self.get_registry(POSITION_KEY, "Top")

    # ---- the program

    def start(self, cwd: str | None = None) -> subprocess.Popen:
        """Starts the program in the session's working directory; it opens in the prefix's
        default desktop, the probe's. The process started is the program itself, unless `cwd`
        names that directory the Windows way (through start.exe, which then runs it there)."""
        self.boot()
        log = open(self.artifacts / "program.log", "ab")
        command = world.wine_command(self.config.exe)
        if cwd:
            command[1:1] = ["start", "/d", cwd, "/b", "/unix"]
        process = subprocess.Popen(
            command, cwd=self.workdir, env=self.env, stdout=log, stderr=log, start_new_session=True,
        )
        log.close()
        self._app_processes.append(process)
        self._program = process
        self.start_time = time.monotonic()
        self.log("program started")
        return process

    def start_notepad(self) -> Window:
        """Starts Wine's Notepad in the desktop: another program's window to type in and
        to click; returns its window once shown (it need not be in front yet)."""
        self._app_processes.append(subprocess.Popen(
            [str(world.loader()), "notepad"], cwd=self.workdir, env=self.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True))
        return wait_until(lambda: [w for w in self.windows("Notepad") if w.visible], 20, "Notepad")[0]

    def hold_memo_file(self, held: bool = True, path: Path | None = None, readers: bool = False):
        """Another program holds memo.txt (or `path`) open without sharing it, as a sync client does,
        or lets it go again. With `readers`, it lets others read and write the file but not replace
        or delete it."""
        args = [hex_text(world.windows_path(path or self.memo_path))]
        self.probe.call("lock" if held else "unlock", *args, *(["readers"] if held and readers else []))

    def map_drive(self, letter: str, path: Path):
        """Makes drive `letter` of the prefix the folder `path`, as a mapped network drive would;
        a program started in `path` then sees its folder as that drive's root."""
        (self.prefix / "dosdevices" / (letter.lower() + ":")).symlink_to(path)

    def kill_program(self):
        """Ends the program from outside, as a crash or the task manager would: no handler runs."""
        for pid in self.program_processes():
            with contextlib.suppress(ProcessLookupError):
                os.kill(pid, signal.SIGKILL)
        wait_until(lambda: not self.program_processes(), 10, "the killed program to go away")

    def wait_exit(self, code: int = 0, timeout: float = 10):
        """Waits until the program started last has ended and no copy runs; fails unless it ended
        with exit code `code`. The Wine loader started is the program's own process and exits
        with its exit code's low byte (an abort gives 3, a crash the exception code's)."""
        process = self._program
        wait_until(lambda: process.poll() is not None and not self.program_processes(), timeout, "the program to end")
        if process.returncode != code & 0xFF:
            raise AssertionError("the program ended with exit code %d, expected %d" % (process.returncode, code))

    def program_processes(self) -> list[int]:
        """Unix pids of the program's running processes in this prefix (not zombies)."""
        return world.program_pids(self.prefix, self.config.exe.name)

    def process_alive(self, pid: int) -> bool:
        """Whether the Windows process `pid` is still running."""
        return self.probe.call("process", pid)["alive"]

    def end_session(self):
        """Signs out as Windows does: `wineboot --end-session` sends each window WM_QUERYENDSESSION, then
        WM_ENDSESSION (wParam TRUE), and ends the prefix's programs."""
        world.run([world.loader(), "wineboot", "--end-session"], env={**self.env, "WINELOADER": str(world.loader())},
                  check=True, timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close_for_installer(self, hwnd: int) -> bool:
        """The Restart Manager closes the program for an installer: the same two messages with
        ENDSESSION_CLOSEAPP, sent to hwnd by the probe; returns whether the window agreed."""
        return self.probe.call("end-session", hwnd, ENDSESSION_CLOSEAPP)["agreed"]

    # ---- windows and controls

    def windows(self, cls: str = "*", title: str | None = None) -> list[Window]:
        args = [hex_text(cls)] + ([hex_text(title)] if title is not None else [])
        return [Window.from_json(w) for w in self.probe.call("windows", *args)["windows"]]

    def find_windows(self, cls: str) -> list[tuple[int, bool]]:
        """(hwnd, visible) of each top-level window of this class, top of the z-order first.

        Much cheaper than windows() when many windows exist (Wine's taskbar
        keeps one hidden tooltip window for every notification icon ever
        added), but gives no other facts."""
        return [(w["hwnd"], w["visible"]) for w in self.probe.call("find", hex_text(cls))["windows"]]

    def window(self, hwnd: int) -> Window | None:
        answer = self.probe.call("window", hwnd)
        return Window.from_json(answer["window"]) if answer["exists"] else None

    def wait_window(self, cls: str, timeout: float = 20, visible: bool = True) -> Window:
        def found():
            shown = [w for w in self.windows(cls) if w.visible or not visible]
            return shown[0] if len(shown) == 1 else None

        window = wait_until(found, timeout, "one %swindow of class %s" % ("visible " if visible else "", cls))
        self.log("window %s found" % cls)
        return window

    def wait_main_window(self, timeout: float = 20) -> Window:
        return self.wait_window(ids.MAIN_WINDOW_CLASS, timeout)

    def main_window(self) -> Window | None:
        found = self.windows(ids.MAIN_WINDOW_CLASS)
        if len(found) > 1:
            raise AssertionError("%d main windows exist, expected at most one" % len(found))
        return found[0] if found else None

    def control(self, parent: int, control_id: int) -> Control:
        return Control.from_json(self.probe.call("child", parent, control_id)["control"])

    def controls(self, parent: int) -> list[Control]:
        return [Control.from_json(c) for c in self.probe.call("children", parent)["children"]]

    def combo(self, parent: int, control_id: int) -> dict:
        """count, items, text, cursel, dropped of a combo box."""
        return self.probe.call("combo", parent, control_id)

    def set_text(self, parent: int, control_id: int, text: str):
        """WM_SETTEXT to a control (control_id 0: to the window itself)."""
        self.probe.call("settext", parent, control_id, hex_text(text))

    def select_item(self, parent: int, control_id: int, index: int):
        """Selects a combo box item and notifies the parent with CBN_SELCHANGE."""
        self.probe.call("select", parent, control_id, index)

    def click_button(self, parent: int, control_id: int, timeout_ms: int = 5000) -> bool:
        """BM_CLICK; returns whether the button's handler returned within the timeout."""
        return self.probe.call("click", parent, control_id, timeout_ms, timeout=timeout_ms / 1000 + 5)["done"]

    def post_click(self, parent: int, control_id: int):
        """BM_CLICK without waiting for the handler (for buttons that open modal windows)."""
        self.probe.call("post-click", parent, control_id)

    def close_window(self, hwnd: int):
        self.probe.call("close", hwnd)

    def message_box(self, title: str) -> dict | None:
        """The message box (dialog #32770) with this title: window, text, buttons; None when there is none."""
        answer = self.probe.call("msgbox", hex_text(title))
        return answer if answer["found"] else None

    def wait_message_box(self, title: str, timeout: float = 10) -> dict:
        return wait_until(lambda: self.message_box(title), timeout, "a message box titled %r" % title)

    def press_message_box(self, title: str, button_id: int):
        self.probe.call("msgbox-press", hex_text(title), button_id)

    def send_keys(self, hwnd: int, *keys: str):
        """Brings hwnd's window to the foreground (a control: also the focus) and types the keys
        through Wine's input: names like "Down", "Return", "ctrl+a", or text:"..." for characters.

        Returns once the input is queued: wait for its effect."""
        words = [hex_text(k[5:]) if k.startswith("text:") else k for k in keys]
        self.probe.call("keys", hwnd, *words)

    def record_fault(self, fault: str, seen: str, memo: bytes | None):
        """One row of the fault matrix (see scripts/fault-matrix), written once the test's checks passed.
        "Memos intact" is measured here: memo.txt must hold exactly `memo` (None: there is no memo.txt
        file). A row that says no is written, and fails the test."""
        held = self.memo_path.read_bytes() if self.memo_path.is_file() else None
        rows = self.config.artifacts / "fault-matrix"
        rows.mkdir(parents=True, exist_ok=True)
        row = {"fault": fault, "seen": seen, "memos_intact": held == memo, "case": self.name}
        (rows / (self.name + ".json")).write_text(json.dumps(row, ensure_ascii=False), "utf-8")
        if held != memo:
            raise AssertionError("memo.txt holds %.300r, expected %.300r" % (held, memo))

    def open_tray_menu(self, icon: int = 0) -> Window:
        """A real right click on notification icon `icon`; returns its one pop-up menu."""
        # Wine's taskbar now and then drops a click that comes right after an
        # icon was added again; a person would click once more, and so does this.
        self.click(*self.tray_icon_centre(icon), button=3)
        try:
            menus = wait_until(self.popup_menus, 2, "the icon's pop-up menu")
        except AssertionError:
            self.log("no menu after the first right click; clicking again")
            self.click(*self.tray_icon_centre(icon), button=3)
            menus = wait_until(self.popup_menus, 5, "the icon's pop-up menu")
        if len(menus) != 1:
            raise AssertionError("expected one pop-up menu, found %s" % menus)
        return menus[0]

    def icon_event(self, hwnd: int, *events: int):
        """The notification icon's `events` (NIN_KEYSELECT, WM_CONTEXTMENU, ...) as the shell sends them to the
        icon's window `hwnd`: its callback message, not waited on, all in a row. Wine's taskbar has no keyboard."""
        self.probe.call("notify", hwnd, ids.ICON_CALLBACK_MESSAGE, ids.ICON_ID, *events)

    def popup_menus(self) -> list[Window]:
        """The pop-up menus on screen (class #32768). Their item texts cannot be read from
        another process under Wine: choose items by keyboard or by position."""
        return [w for w in self.windows("#32768") if w.visible]

    def delete_tray_icon(self, hwnd: int, icon_id: int = 1) -> bool:
        """Removes the notification icon (hwnd, icon_id) through the shell, as a shell that
        restarts forgets every icon; returns whether the shell knew it."""
        return self.probe.call("tray-delete", hwnd, icon_id)["deleted"]

    def broadcast(self, message_name: str):
        """Posts the registered message `message_name` (e.g. "TaskbarCreated") to every top-level window."""
        self.probe.call("broadcast", hex_text(message_name))

    def dpi_changed(self, hwnd: int, dpi: int, rect: tuple[int, int, int, int]):
        """WM_DPICHANGED to hwnd, as on coming to a monitor of `dpi`, with the suggested window rect."""
        self.probe.call("dpi-changed", hwnd, dpi, *rect)

    def put_on_top(self, hwnd: int):
        """Puts hwnd on top of the always-on-top windows without activating it, as an activated taskbar
        covers a strip parked over it (Wine's taskbar is no topmost window)."""
        self.probe.call("topmost", hwnd)

    def focus(self, hwnd: int) -> dict:
        """GUI state of hwnd's thread: focus, active window, capture, menu mode."""
        return self.probe.call("focus", hwnd)

    def screen_info(self) -> dict:
        return self.probe.call("screen")

    # ---- real mouse input through the X server

    def xdotool(self, *args: str | int):
        world.run(["xdotool", *map(str, args)], env=self.env, check=True, timeout=10)

    # No --sync: xdotool then waits for a pointer motion, forever when the
    # pointer is already there. The X server keeps the events in order anyway.
    def move_mouse(self, x: int, y: int):
        self.xdotool("mousemove", x, y)

    def click(self, x: int, y: int, button: int = 1, repeat: int = 1):
        """A real click at screen pixel (x, y)."""
        self.xdotool("mousemove", x, y, "click", "--repeat", repeat, button)

    def drag(self, x0: int, y0: int, x1: int, y1: int, moves_window: bool = True):
        """A real left-button drag from (x0, y0) to (x1, y1): press, one motion, release.

        One motion: several quick ones during Wine's window-move loop move the
        window farther than the pointer. With moves_window the steps wait for
        the window: the motion once the press has started its move loop, the
        release once the window has moved and its thread waits for input
        again. Wine here maps a button release that comes while the window is
        being moved as if the pointer had moved by as much again, so a release
        right behind the motion can end the drag twice as far (seen on a
        loaded machine).
        """
        if not moves_window:
            self.xdotool("mousemove", x0, y0, "mousedown", 1, "mousemove", x1, y1, "mouseup", 1)
            return
        hwnd = self.probe.call("window-at", x0, y0)["hwnd"]
        before = self.window(hwnd).origin
        self.xdotool("mousemove", x0, y0, "mousedown", 1)
        try:
            wait_until(lambda: self.focus(hwnd)["moving"], 10, "the window's move loop after the press")
            self.xdotool("mousemove", x1, y1)
            if (x1, y1) != (x0, y0):
                # The window answers the probe only between its own messages:
                # the move is done and handed to the X server when this holds.
                wait_until(lambda: self.window(hwnd).origin != before, 10, "the window to follow the pointer")
        finally:
            self.xdotool("mouseup", 1)

    # ---- pixels

    def screenshot(self, name: str | None = None) -> Image:
        """The whole screen; saved as artifacts/<test>/<name>.png when a name is given."""
        image = images.screenshot(self.display, self.log)
        if name:
            image.save_png(self.artifacts / (name + ".png"))
        return image

    def wait_pixel(self, x: int, y: int, colour: tuple[int, int, int], timeout: float = 5) -> Image:
        """Waits until screen pixel (x, y) has this colour; returns that screenshot."""
        seen = []

        def shot():
            image = self.screenshot()
            seen[:] = [image.pixel(x, y)]
            return image if seen[0] == tuple(colour) else None

        try:
            return wait_until(shot, timeout, "pixel (%d, %d) to be %s" % (x, y, colour))
        except AssertionError:
            raise AssertionError("pixel (%d, %d) is %s, expected %s (waited %s s)" % (x, y, seen[0], colour, timeout))

    def taskbar_rect(self) -> tuple[int, int, int, int] | None:
        """The taskbar's rectangle while it is shown (Wine shows it while any notification icon exists)."""
        bars = [w for w in self.windows("Shell_TrayWnd") if w.visible]
        return bars[0].rect if bars else None

    def tray_slots(self, image: Image | None = None, slots: int = 8) -> list[int]:
        """Dark pixels in each notification-icon slot, from the right end of the taskbar leftwards.

        Wine draws the icons straight into the taskbar from its right end, one
        slot per icon; a slot is as wide as the taskbar is high (20 px at 96 dpi,
        28 px at 144 dpi). Without icons the taskbar disappears. The program's
        icon is a black drawing on a transparent ground, so its slot holds
        black pixels on the taskbar's colour.
        """
        image = image or self.screenshot()
        bar = self.taskbar_rect()
        if bar is None:
            return [0] * slots
        left, top, right, bottom = bar
        pitch = bottom - top
        return [
            image.count((right - (k + 1) * pitch, top, right - k * pitch, bottom), lambda c: max(c) < 64)
            for k in range(slots)
        ]

    def count_tray_icons(self, image: Image | None = None) -> int:
        """Number of icons with a dark drawing in the notification area."""
        return sum(1 for dark in self.tray_slots(image) if dark >= MIN_ICON_PIXELS)

    def wait_tray_icons(self, count: int, timeout: float = 5) -> int:
        """Waits until the notification area shows `count` icons of the program."""
        seen = []

        def settled():
            seen[:] = [self.tray_slots()]
            return sum(1 for dark in seen[0] if dark >= MIN_ICON_PIXELS) == count

        try:
            wait_until(settled, timeout, "%d notification icons" % count)
        except AssertionError:
            raise AssertionError("expected %d notification icons, dark pixels per slot from the right: %s"
                                 % (count, seen[0])) from None
        return count

    def tray_icon_centre(self, index: int = 0) -> tuple[int, int]:
        """Screen pixel at the centre of notification icon `index` (0 is the rightmost)."""
        bar = self.taskbar_rect()
        if bar is None:
            raise AssertionError("there is no taskbar, so no notification icon to click")
        left, top, right, bottom = bar
        pitch = bottom - top
        return right - index * pitch - pitch // 2 - 1, (top + bottom) // 2

    # ---- files

    @property
    def memo_path(self) -> Path:
        return self.workdir / "memo.txt"
