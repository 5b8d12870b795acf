"""End-to-end harness: runs the real tallynix.exe under Wine and drives it from outside.

Every test gets its own world, torn down at its end even when it fails:

* a private X server (Xvfb, 1024x768x24) on a free display number;
* a fresh Wine prefix, copied from a template prefix that is built once per
  build tree (Japanese locale, font replacements, a 1024x768 virtual desktop
  named "e2e" with its taskbar);
* an empty temporary working directory for the program (memo.txt lives there);
* one long-lived probe process (probe.cpp, "serve" mode) inside the same prefix
  and desktop, which finds windows and sends them messages. It also keeps the
  virtual desktop alive while the program is stopped and started again.

A test reads like::

    class FirstStart(harness.TestCase):
        def test_window(self):
            app = self.app
            app.start()
            window = app.wait_main_window()
            self.assertEqual(window.client_size, (336, 20))

    if __name__ == "__main__":
        harness.main()

Nothing here sleeps to wait: wait_until() polls a condition until a deadline.
"""

from __future__ import annotations

import argparse
import contextlib
import dataclasses
import fcntl
import hashlib
import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib
from pathlib import Path
from typing import Any, Callable, Iterable

MAIN_CLASS = "tallynix.Form1"
ABOUT_CLASS = "tallynix.Form2"
POSITION_KEY = "HKCU\\Software\\tallynix\\WindowPosition"

DESKTOP_NAME = "e2e"
SCREEN_SIZE = (1024, 768)
TEMPLATE_FORMAT = 4  # bump when the template's contents change

# Window styles the tests look at.
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_THICKFRAME = 0x00040000
WS_EX_TOPMOST = 0x00000008
WS_EX_TOOLWINDOW = 0x00000080
WS_EX_APPWINDOW = 0x00040000
IDOK = 1
IDCANCEL = 2

# A notification-area slot with at least this many dark pixels holds an icon.
MIN_ICON_PIXELS = 8

REQUIRED_TOOLS = ("wine", "wineboot", "wineserver", "Xvfb", "xdotool", "xwd")

BASE_ENV = {
    "LANG": "ja_JP.UTF-8",
    "LC_ALL": "ja_JP.UTF-8",
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEARCH": "win64",
}

# Settings every test prefix starts with.
TEMPLATE_REGISTRY = [
    ("HKCU\\Software\\Wine\\Fonts\\Replacements", "ＭＳ Ｐゴシック", "IPAPGothic"),
    ("HKCU\\Software\\Wine\\Fonts\\Replacements", "ＭＳ ゴシック", "IPAGothic"),
    ("HKCU\\Software\\Wine\\Explorer", "Desktop", DESKTOP_NAME),
    ("HKCU\\Software\\Wine\\Explorer\\Desktops", DESKTOP_NAME, "%dx%d" % SCREEN_SIZE),
    ("HKCU\\Control Panel\\Desktop", "LogPixels", 96),
]


class HarnessError(Exception):
    """The harness itself could not do what a test asked (not a product fault)."""


class ProbeError(HarnessError):
    pass


# --------------------------------------------------------------------------- waiting


def wait_until(condition: Callable[[], Any], timeout: float, what: str, interval: float = 0.02):
    """Polls condition() until it returns a true value and returns that value.

    Raises AssertionError naming `what` and the last value seen when `timeout`
    seconds pass first. Exceptions from the condition propagate at once.
    """
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.1f s waiting for %s (last value: %r)" % (timeout, what, value))
        time.sleep(interval)


def _run(args: list[str], env: dict | None = None, timeout: float = 60, **kwargs) -> subprocess.CompletedProcess:
    try:
        return subprocess.run(args, env=env, timeout=timeout, **kwargs)
    except subprocess.TimeoutExpired as error:
        raise HarnessError("%s did not finish within %s s" % (" ".join(args), timeout)) from error


# --------------------------------------------------------------------------- images


class Image:
    """An RGB picture of the screen (or part of it)."""

    def __init__(self, width: int, height: int, rgb: bytes):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError("pixel (%d, %d) is outside the %dx%d picture" % (x, y, self.width, self.height))
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at : at + 3])

    def pixels(self, box: tuple[int, int, int, int]) -> Iterable[tuple[int, int, tuple[int, int, int]]]:
        """(x, y, colour) for every pixel of box = (left, top, right, bottom), right and bottom excluded."""
        left, top, right, bottom = box
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                yield x, y, self.pixel(x, y)

    def count(self, box, predicate: Callable[[tuple[int, int, int]], bool]) -> int:
        return sum(1 for _, _, colour in self.pixels(box) if predicate(colour))

    def colours(self, box) -> dict[tuple[int, int, int], int]:
        found: dict[tuple[int, int, int], int] = {}
        for _, _, colour in self.pixels(box):
            found[colour] = found.get(colour, 0) + 1
        return found

    def save_png(self, path: Path) -> Path:
        stride = self.width * 3
        raw = b"".join(b"\0" + self.rgb[y * stride : (y + 1) * stride] for y in range(self.height))

        def chunk(kind: bytes, data: bytes) -> bytes:
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(
            b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 3)) + chunk(b"IEND", b"")
        )
        return path

    @staticmethod
    def from_xwd(data: bytes) -> "Image":
        """Decodes the ZPixmap true-colour dump that `xwd -root` writes for Xvfb."""
        fields = struct.unpack(">25I", data[:100])
        header_size, _, pixmap_format, depth, width, height = fields[:6]
        byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
        masks, colours = fields[14:17], fields[19]
        if pixmap_format != 2 or depth != 24 or masks != (0xFF0000, 0xFF00, 0xFF) or bits_per_pixel not in (24, 32):
            raise HarnessError("unexpected xwd format: %r" % (fields,))
        if byte_order != 0:
            raise HarnessError("xwd dump is not least-significant-byte first")
        step = bits_per_pixel // 8
        pixels = data[header_size + colours * 12 :]
        rgb = bytearray(width * height * 3)
        for y in range(height):
            row = pixels[y * bytes_per_line : y * bytes_per_line + width * step]
            out = memoryview(rgb)[y * width * 3 : (y + 1) * width * 3]
            # Each pixel is blue, green, red (and a pad byte at 32 bits per pixel).
            out[0::3] = row[2::step]
            out[1::3] = row[1::step]
            out[2::3] = row[0::step]
        return Image(width, height, bytes(rgb))


# --------------------------------------------------------------------------- windows


@dataclasses.dataclass
class Window:
    """A top-level window as the probe reports it. Rectangles are screen pixels (left, top, right, bottom)."""

    hwnd: int
    pid: int
    cls: str
    title: str
    rect: tuple[int, int, int, int]
    client: tuple[int, int, int, int]
    style: int
    exstyle: int
    visible: bool
    enabled: bool
    topmost: bool
    owner: int
    z: int  # place in the z-order, 0 at the top; -1 when not asked for

    @staticmethod
    def from_json(data: dict) -> "Window":
        return Window(
            hwnd=data["hwnd"], pid=data["pid"], cls=data["class"], title=data["title"],
            rect=tuple(data["rect"]), client=tuple(data["client"]), style=data["style"],
            exstyle=data["exstyle"], visible=data["visible"], enabled=data["enabled"],
            topmost=data["topmost"], owner=data["owner"], z=data.get("z", -1),
        )

    @property
    def client_origin(self) -> tuple[int, int]:
        return self.client[0], self.client[1]

    @property
    def client_size(self) -> tuple[int, int]:
        return self.client[2] - self.client[0], self.client[3] - self.client[1]

    @property
    def origin(self) -> tuple[int, int]:
        return self.rect[0], self.rect[1]

    @property
    def size(self) -> tuple[int, int]:
        return self.rect[2] - self.rect[0], self.rect[3] - self.rect[1]


@dataclasses.dataclass
class Control:
    """A child control; rect is (x, y, width, height) relative to the parent's client area."""

    hwnd: int
    id: int
    cls: str
    text: str
    rect: tuple[int, int, int, int]
    style: int
    visible: bool
    enabled: bool

    @staticmethod
    def from_json(data: dict) -> "Control":
        left, top, right, bottom = data["rect"]
        return Control(
            hwnd=data["hwnd"], id=data["id"], cls=data["class"], text=data["text"],
            rect=(left, top, right - left, bottom - top), style=data["style"],
            visible=data["visible"], enabled=data["enabled"],
        )


# --------------------------------------------------------------------------- probe


def hex_text(text: str) -> str:
    """A text argument for the probe, safe from spaces and code pages."""
    return "hex:" + text.encode("utf-8").hex()


class Probe:
    """The probe in serve mode: one command per line in, one JSON line out."""

    def __init__(self, exe: Path, env: dict, cwd: Path, log: Path, timeout: float):
        self._log = open(log, "ab")
        self._process = subprocess.Popen(
            ["wine", str(exe), "serve"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=self._log, env=env, cwd=cwd, start_new_session=True,
        )
        self._buffer = b""
        self.ready = self._read_line(timeout)
        if not self.ready.get("ready"):
            raise ProbeError("the probe did not start: %r" % self.ready)

    def call(self, verb: str, *args, timeout: float = 10) -> dict:
        """Runs one probe verb and returns its answer; raises ProbeError when the answer is not ok."""
        answer = self.try_call(verb, *args, timeout=timeout)
        if not answer.get("ok"):
            raise ProbeError("probe %s %s: %s" % (verb, " ".join(map(str, args)), answer.get("error")))
        return answer

    def try_call(self, verb: str, *args, timeout: float = 10) -> dict:
        line = " ".join([verb, *map(str, args)]) + "\n"
        try:
            self._process.stdin.write(line.encode("ascii"))
            self._process.stdin.flush()
        except BrokenPipeError as error:
            raise ProbeError("the probe has exited") from error
        return self._read_line(timeout)

    def _read_line(self, timeout: float) -> dict:
        deadline = time.monotonic() + timeout
        fd = self._process.stdout.fileno()
        while b"\n" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                # A late answer would be taken for the next command's: stop this probe.
                self._kill()
                raise ProbeError("the probe did not answer within %s s" % timeout)
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise ProbeError("the probe has exited (code %r)" % self._process.poll())
                self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return json.loads(line.decode("utf-8"))

    @property
    def alive(self) -> bool:
        return self._process.poll() is None

    def _kill(self):
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self._process.pid, signal.SIGKILL)
        with contextlib.suppress(Exception):
            self._process.wait(timeout=2)

    def close(self):
        with contextlib.suppress(Exception):
            self._process.stdin.write(b"quit\n")
            self._process.stdin.flush()
        with contextlib.suppress(Exception):
            self._process.wait(timeout=2)
        if self.alive:
            self._kill()
        for pipe in (self._process.stdin, self._process.stdout):
            with contextlib.suppress(Exception):
                pipe.close()
        self._log.close()


# --------------------------------------------------------------------------- registry files


def _reg_escape(text: str) -> str:
    out = []
    for char in text:
        if char in '\\"':
            out.append("\\" + char)
        elif ord(char) < 0x20 or ord(char) > 0x7E:
            out.append("\\x%04x" % ord(char))
        else:
            out.append(char)
    return "".join(out)


def _reg_file_and_key(prefix: Path, path: str) -> tuple[Path, str]:
    root, _, rest = path.partition("\\")
    if root in ("HKCU", "HKEY_CURRENT_USER"):
        return prefix / "user.reg", rest
    if root in ("HKLM", "HKEY_LOCAL_MACHINE"):
        return prefix / "system.reg", rest
    raise HarnessError("registry path must start with HKCU or HKLM: %s" % path)


def write_registry_file_value(prefix: Path, path: str, name: str, value: str | int):
    """Sets a value in a prefix whose wineserver is not running, by editing its registry file."""
    reg_file, key = _reg_file_and_key(prefix, path)
    header = "[%s]" % _reg_escape(key)
    if isinstance(value, int):
        data = "dword:%08x" % (value & 0xFFFFFFFF)
    else:
        data = '"%s"' % _reg_escape(value)
    entry = '"%s"=%s' % (_reg_escape(name), data)
    lines = reg_file.read_text(encoding="ascii").split("\n")
    start = next((i for i, line in enumerate(lines) if line.lower().startswith(header.lower() + " ")), None)
    if start is None:
        lines += ["", "%s %d" % (header, int(time.time())), entry, ""]
    else:
        end = next((i for i in range(start + 1, len(lines)) if lines[i].startswith("[")), len(lines))
        prefix_of_entry = '"%s"=' % _reg_escape(name)
        kept = [line for line in lines[start + 1 : end] if not line.lower().startswith(prefix_of_entry.lower())]
        insert_at = 1 if kept and kept[0].startswith("#time=") else 0
        kept.insert(insert_at, entry)
        lines[start + 1 : end] = kept
    reg_file.write_text("\n".join(lines), encoding="ascii")


# --------------------------------------------------------------------------- template prefix


def _wine_version() -> str:
    return _run(["wine", "--version"], capture_output=True, text=True, env={**os.environ, **BASE_ENV}).stdout.strip()


def ensure_template(work_dir: Path) -> Path:
    """Returns the template prefix of this build tree, building it first when missing or stale.

    A lock file serialises builders; the template is built under a temporary
    name and renamed into place, so a reader never sees half a prefix.
    """
    template = work_dir / "prefix-template"
    stamp_text = json.dumps([TEMPLATE_FORMAT, _wine_version(), TEMPLATE_REGISTRY], ensure_ascii=False)
    stamp = hashlib.sha256(stamp_text.encode()).hexdigest()
    work_dir.mkdir(parents=True, exist_ok=True)
    with open(work_dir / "prefix-template.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp_file = template / ".e2e-stamp"
        if stamp_file.exists() and stamp_file.read_text() == stamp:
            return template
        for stale in work_dir.glob("prefix-template.building-*"):  # left by a killed builder
            shutil.rmtree(stale, ignore_errors=True)
        building = Path(tempfile.mkdtemp(prefix="prefix-template.building-", dir=work_dir))
        try:
            prefix = building / "prefix"
            env = {**os.environ, **BASE_ENV, "WINEPREFIX": str(prefix)}
            env.pop("DISPLAY", None)
            _run(["wineboot", "-i"], env=env, timeout=180, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            _run(["wineserver", "-w"], env=env, timeout=60)
            _remove_server_dir(prefix)
            for path, name, value in TEMPLATE_REGISTRY:
                write_registry_file_value(prefix, path, name, value)
            (prefix / ".e2e-stamp").write_text(stamp)
            if template.exists():
                old = work_dir / ("prefix-template.old-%d" % os.getpid())
                template.rename(old)
                shutil.rmtree(old, ignore_errors=True)
            prefix.rename(template)
        finally:
            shutil.rmtree(building, ignore_errors=True)
        return template


# Directories of a prefix that Wine only reads (the installed DLLs): linked, not copied.
_SHARED_DIRS = ("drive_c/windows/system32", "drive_c/windows/syswow64", "drive_c/windows/winsxs")
# Debian's Wine writes the name of the prefix's private directory under /tmp
# (wine-XXXXXX, holding the server socket) into this file; a copy without it
# gets a directory of its own, removed again at the end of the test.
_SERVER_DIR_FILE = "wineserver"
_NOT_COPIED = (*_SHARED_DIRS, _SERVER_DIR_FILE)


def _remove_server_dir(prefix: Path):
    """Removes the private /tmp directory of a prefix whose wineserver has ended."""
    with contextlib.suppress(OSError):
        name = (prefix / _SERVER_DIR_FILE).read_text().strip()
        if re.fullmatch(r"wine-[A-Za-z0-9]+", name):
            for tmp in {Path("/tmp"), Path(tempfile.gettempdir())}:
                shutil.rmtree(tmp / name, ignore_errors=True)
        (prefix / _SERVER_DIR_FILE).unlink()


def copy_prefix(template: Path, target: Path):
    """Copies the template; the large read-only DLL directories are hard-linked when on the same file system."""
    same_fs = template.stat().st_dev == target.parent.stat().st_dev
    if not same_fs:
        _run(["cp", "-a", str(template), str(target)], check=True, timeout=120)
        return

    def ignore(directory, names):
        rel = os.path.relpath(directory, template)
        return [n for n in names if os.path.normpath(os.path.join(rel, n)) in _NOT_COPIED]

    shutil.copytree(template, target, symlinks=True, ignore=ignore)
    for rel in _SHARED_DIRS:
        if (template / rel).exists():
            _run(["cp", "-al", str(template / rel), str(target / rel)], check=True, timeout=120)


# --------------------------------------------------------------------------- X server


class XServer:
    def __init__(self, log: Path, timeout: float = 15):
        read_end, write_end = os.pipe()
        self._log = open(log, "ab")
        self._process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % SCREEN_SIZE,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_end], stdout=self._log, stderr=self._log, start_new_session=True,
        )
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + timeout
        try:
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(left, 0))
                if not ready:
                    raise HarnessError("Xvfb did not report its display within %s s" % timeout)
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise HarnessError("Xvfb exited at start (code %r); see %s" % (self._process.poll(), log))
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait(timeout=5)
        self._log.close()


# --------------------------------------------------------------------------- configuration


@dataclasses.dataclass
class Config:
    probe: Path
    exe: Path
    work_dir: Path
    artifacts: Path
    keep: bool = False


def _parse_config(argv: list[str]) -> tuple[Config, list[str]]:
    here = Path(__file__).resolve().parent
    default_build = here.parent.parent / "build" / "win64"
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
    missing = [tool for tool in REQUIRED_TOOLS if not shutil.which(tool)]
    if missing:
        raise SystemExit("e2e: missing %s (scripts/install-deps installs them)" % ", ".join(missing))
    return config, rest


_config: Config | None = None


def config() -> Config:
    global _config
    if _config is None:
        _config, _ = _parse_config([])
    return _config


# --------------------------------------------------------------------------- the session


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
        self._xserver: XServer | None = None
        self._probe: Probe | None = None
        self._app_processes: list[subprocess.Popen] = []
        self._run_dir: Path | None = None
        self._closed = False
        try:
            self._open()
        except BaseException:
            self.close()
            raise

    # ---- set-up and tear-down

    def _open(self):
        template = ensure_template(self.config.work_dir)
        self.log("template ready")
        run_root = self.config.work_dir / "run"
        run_root.mkdir(parents=True, exist_ok=True)
        self._run_dir = Path(tempfile.mkdtemp(prefix=self.name + "-", dir=run_root))
        self.prefix = self._run_dir / "prefix"
        copy_prefix(template, self.prefix)
        self.workdir = self._run_dir / "cwd"
        self.workdir.mkdir()
        self.log("prefix copied")
        self._xserver = XServer(self.artifacts / "xvfb.log")
        self.display = self._xserver.display
        self.env = {**os.environ, **BASE_ENV, "WINEPREFIX": str(self.prefix), "DISPLAY": self.display}
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

    def _prefix_processes(self) -> list[int]:
        """Unix pids of every process running in this session's prefix."""
        wanted = b"WINEPREFIX=" + str(self.prefix).encode() + b"\0"
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            with contextlib.suppress(OSError):
                if wanted in (Path("/proc") / entry / "environ").read_bytes():
                    found.append(int(entry))
        return found

    def _stop_wine(self):
        """Ends every process of this prefix, the wineserver included, and removes the server's socket directory.

        Killing them outright is much faster than `wineserver -k` (about 0.8 s
        here) and nothing of the prefix needs saving: it is thrown away.
        """
        for _ in range(3):
            pids = self._prefix_processes()
            for pid in pids:
                with contextlib.suppress(ProcessLookupError, PermissionError):
                    os.kill(pid, signal.SIGKILL)
            with contextlib.suppress(AssertionError):
                wait_until(lambda: not self._live(pids), 5, "the prefix's processes to end")
                break
        else:
            with contextlib.suppress(Exception):
                _run(["wineserver", "-k"], env=self.env, timeout=10, stderr=subprocess.DEVNULL)
        self.log("wine stopped")
        _remove_server_dir(self.prefix)

    @staticmethod
    def _live(pids: list[int]) -> list[int]:
        """The pids that still run (zombies count as ended)."""
        alive = []
        for pid in pids:
            with contextlib.suppress(OSError, IndexError):
                state = (Path("/proc") / str(pid) / "stat").read_text().rsplit(")", 1)[1].split()[0]
                if state != "Z":
                    alive.append(pid)
        return alive

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
            write_registry_file_value(self.prefix, path, name, value)

    def delete_registry(self, path: str, name: str | None = None):
        args = [hex_text(path)] + ([hex_text(name)] if name is not None else [])
        self.probe.call("reg-delete", *args)

    def get_registry(self, path: str, name: str) -> str | int | None:
        """A registry value as the running prefix sees it, None when absent."""
        answer = self.probe.call("reg-get", hex_text(path), hex_text(name))
        return answer.get("value") if answer["exists"] else None

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

    def start(self) -> subprocess.Popen:
        """Starts the program in the virtual desktop, in the session's working directory."""
        self.boot()
        exe = "Z:" + str(self.config.exe).replace("/", "\\")
        log = open(self.artifacts / "program.log", "ab")
        process = subprocess.Popen(
            ["wine", "explorer", "/desktop=%s,%dx%d" % (DESKTOP_NAME, *SCREEN_SIZE), exe],
            cwd=self.workdir, env=self.env, stdout=log, stderr=log, start_new_session=True,
        )
        log.close()
        self._app_processes.append(process)
        self.start_time = time.monotonic()
        self.log("program started")
        return process

    def kill_program(self):
        """Ends the program from outside, as a crash or the task manager would: no handler runs."""
        for pid in self.program_processes():
            with contextlib.suppress(ProcessLookupError):
                os.kill(pid, signal.SIGKILL)
        wait_until(lambda: not self.program_processes(), 10, "the killed program to go away")

    def program_processes(self) -> list[int]:
        """Unix pids of the program's running processes in this prefix (not zombies)."""
        name = self.config.exe.name.encode()
        found = []
        for pid in self._prefix_processes():
            with contextlib.suppress(OSError):
                command = (Path("/proc") / str(pid) / "cmdline").read_bytes().split(b"\0")[0]
                state = (Path("/proc") / str(pid) / "stat").read_text().rsplit(")", 1)[1].split()[0]
                if command.replace(b"\\", b"/").endswith(b"/" + name) and state != "Z":
                    found.append(pid)
        return found

    def process_alive(self, pid: int) -> bool:
        """Whether the Windows process `pid` is still running."""
        return self.probe.call("process", pid)["alive"]

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
        return self.wait_window(MAIN_CLASS, timeout)

    def main_window(self) -> Window | None:
        found = self.windows(MAIN_CLASS)
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

    def record_fault(self, fault: str, seen: str, memos_intact: bool):
        """One row of the fault matrix (see scripts/fault-matrix), written once the test's checks passed."""
        rows = self.config.artifacts / "fault-matrix"
        rows.mkdir(parents=True, exist_ok=True)
        row = {"fault": fault, "seen": seen, "memos_intact": memos_intact, "case": self.name}
        (rows / (self.name + ".json")).write_text(json.dumps(row, ensure_ascii=False), "utf-8")

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

    def focus(self, hwnd: int) -> dict:
        """GUI state of hwnd's thread: focus, active window, capture, menu mode."""
        return self.probe.call("focus", hwnd)

    def screen_info(self) -> dict:
        return self.probe.call("screen")

    # ---- real mouse input through the X server

    def xdotool(self, *args: str | int):
        _run(["xdotool", *map(str, args)], env=self.env, check=True, timeout=10)

    # No --sync: xdotool then waits for a pointer motion, forever when the
    # pointer is already there. The X server keeps the events in order anyway.
    def move_mouse(self, x: int, y: int):
        self.xdotool("mousemove", x, y)

    def click(self, x: int, y: int, button: int = 1, repeat: int = 1):
        """A real click at screen pixel (x, y)."""
        self.xdotool("mousemove", x, y, "click", "--repeat", repeat, button)

    def drag(self, x0: int, y0: int, x1: int, y1: int):
        """A real left-button drag from (x0, y0) to (x1, y1): press, one motion, release.

        One motion: when the pointer moves in several quick steps while
        Wine's window-move loop runs, the window can move farther than the
        pointer (1.3 to 1.5 times as far, measured).
        """
        self.xdotool("mousemove", x0, y0, "mousedown", 1, "mousemove", x1, y1, "mouseup", 1)

    # ---- pixels

    def screenshot(self, name: str | None = None) -> Image:
        """The whole screen; saved as artifacts/<test>/<name>.png when a name is given."""
        # While Wine's taskbar appears or disappears, a dump of the root window
        # can fail once with BadMatch: try again a few times.
        for _ in range(4):
            dump = _run(["xwd", "-root", "-silent", "-display", self.display], capture_output=True)
            if dump.returncode == 0:
                break
            self.log("xwd failed (%s): %s" % (dump.returncode, dump.stderr.decode(errors="replace").strip()[:200]))
        else:
            raise HarnessError("xwd could not dump the screen: %s" % dump.stderr.decode(errors="replace").strip())
        image = Image.from_xwd(dump.stdout)
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


# --------------------------------------------------------------------------- unittest glue


class TestCase(unittest.TestCase):
    """Gives each test method its own Session as self.app and tears it down afterwards.

    A test that fails leaves a screenshot (failure.png) and the logs in
    artifacts/<test>/. Set-up and test are interrupted after TIMEOUT seconds;
    every step of the tear-down has a timeout of its own.
    """

    TIMEOUT = 120

    def setUp(self):
        signal.signal(signal.SIGALRM, self._timed_out)
        signal.alarm(self.TIMEOUT)
        name = re.sub(r"[^A-Za-z0-9_.-]", "_", "%s.%s" % (type(self).__name__, self._testMethodName))
        self._problems_before = self._problems()
        self.app = Session(config(), name)
        self.addCleanup(self._finish)

    def _problems(self) -> int:
        """Failures and errors recorded so far by the running test result (subtests included)."""
        result = getattr(getattr(self, "_outcome", None), "result", None)
        return len(getattr(result, "failures", [])) + len(getattr(result, "errors", []))

    def _timed_out(self, *_):
        raise TimeoutError("the test ran longer than %d s" % self.TIMEOUT)

    def _finish(self):
        signal.alarm(0)  # every step of the tear-down has a timeout of its own
        try:
            if self._problems() > self._problems_before and self.app._xserver:
                with contextlib.suppress(Exception):
                    self.app.screenshot("failure")
                sys.stderr.write("e2e: screenshot and logs in %s\n" % self.app.artifacts)
        finally:
            self.app.close()


def main():
    global _config
    _config, rest = _parse_config(sys.argv[1:])
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
