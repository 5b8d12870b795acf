"""The world a test runs in: Wine's loaders, Wine prefixes, a private X server.

Debian's /usr/bin/wine picks the 32-bit loader whenever wine32 is installed:
a 64-bit program then runs behind start.exe in a second process, and where
the kernel runs no i386 code it does not start at all. So every program here
is started with the loader of its own bitness (loader()), with WINELOADER
naming that loader for the processes Wine starts on its behalf.
"""

from __future__ import annotations

import contextlib
import fcntl
import functools
import hashlib
import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
from pathlib import Path
from typing import Any, Callable

DESKTOP_NAME = "e2e"
SCREEN_SIZE = (1024, 768)
TEMPLATE_FORMAT = 5  # bump when the template's contents change
LOADER_DIR = Path("/usr/lib/wine")

BASE_ENV = {
    "LANG": "ja_JP.UTF-8",
    "LC_ALL": "ja_JP.UTF-8",
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEARCH": "win64",
}

FONT_REPLACEMENTS = [
    ("HKCU\\Software\\Wine\\Fonts\\Replacements", "ＭＳ Ｐゴシック", "IPAPGothic"),
    ("HKCU\\Software\\Wine\\Fonts\\Replacements", "ＭＳ ゴシック", "IPAGothic"),
]
# Settings every test prefix starts with: the fonts, and the virtual desktop
# "e2e" as the prefix's default desktop, so that every program started in it
# shares that desktop.
TEMPLATE_REGISTRY = [
    *FONT_REPLACEMENTS,
    ("HKCU\\Software\\Wine\\Explorer", "Desktop", DESKTOP_NAME),
    ("HKCU\\Software\\Wine\\Explorer\\Desktops", DESKTOP_NAME, "%dx%d" % SCREEN_SIZE),
    ("HKCU\\Control Panel\\Desktop", "LogPixels", 96),
]

REQUIRED_TOOLS = ("wineserver", "Xvfb", "xdotool", "xwd")


class HarnessError(Exception):
    """The harness itself could not do what a test asked (not a product fault)."""


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


def run(args: list, env: dict | None = None, timeout: float = 60, **kwargs) -> subprocess.CompletedProcess:
    """subprocess.run with a timeout that raises HarnessError."""
    try:
        return subprocess.run([str(a) for a in args], env=env, timeout=timeout, **kwargs)
    except subprocess.TimeoutExpired as error:
        raise HarnessError("%s did not finish within %s s" % (" ".join(map(str, args)), timeout)) from error


# --------------------------------------------------------------------------- loaders


def is_64_bit(exe: Path) -> bool:
    """Whether a PE file is an x64 program (else i386)."""
    with open(exe, "rb") as f:
        head = f.read(4096)
    (pe,) = struct.unpack_from("<I", head, 0x3C)
    if head[pe : pe + 4] != b"PE\0\0":
        raise HarnessError("%s is not a PE file" % exe)
    (machine,) = struct.unpack_from("<H", head, pe + 4)
    return machine == 0x8664


def _loader_named(name: str) -> Path:
    path = LOADER_DIR / name
    if path.exists():
        return path
    found = shutil.which(name)
    if not found:
        raise HarnessError("no Wine loader %s (scripts/install-deps installs Wine)" % name)
    return Path(found)


def loader(exe: Path | None = None) -> Path:
    """The Wine loader for this program: wine64 for x64, the 32-bit wine for i386 (default: wine64)."""
    return _loader_named("wine64" if exe is None or is_64_bit(exe) else "wine")


@functools.cache
def wine32_runs() -> bool:
    """Whether 32-bit Wine is installed and this kernel runs it."""
    path = LOADER_DIR / "wine"
    if not path.exists():
        return False
    with contextlib.suppress(OSError, subprocess.TimeoutExpired):
        return subprocess.run([str(path), "--version"], capture_output=True, timeout=30).returncode == 0
    return False


def wine_env(prefix: Path, exe: Path | None = None, **more) -> dict:
    """The environment for running `exe` (default: 64-bit programs) in `prefix`."""
    return {**os.environ, **BASE_ENV, "WINEPREFIX": str(prefix), "WINELOADER": str(loader(exe)), **more}


def windows_path(path: Path) -> str:
    """A Unix path as programs in the prefix name it, on drive Z:."""
    return "Z:" + str(path).replace("/", "\\")


def wine_command(exe: Path, *args) -> list[str]:
    """The command line that starts `exe` itself (not start.exe) under Wine."""
    return [str(loader(exe)), str(exe), *map(str, args)]


def wine_version() -> str:
    return run([loader(), "--version"], capture_output=True, text=True).stdout.strip()


# --------------------------------------------------------------------------- prefixes


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


def write_registry_file_value(prefix: Path, path: str, name: str, value: str | int):
    """Sets a value in a prefix whose wineserver is not running, by editing its registry file."""
    root, _, key = path.partition("\\")
    files = {"HKCU": "user.reg", "HKEY_CURRENT_USER": "user.reg", "HKLM": "system.reg", "HKEY_LOCAL_MACHINE": "system.reg"}
    if root not in files:
        raise HarnessError("registry path must start with HKCU or HKLM: %s" % path)
    reg_file = prefix / files[root]
    header = "[%s]" % _reg_escape(key)
    data = "dword:%08x" % (value & 0xFFFFFFFF) if isinstance(value, int) else '"%s"' % _reg_escape(value)
    entry = '"%s"=%s' % (_reg_escape(name), data)
    lines = reg_file.read_text(encoding="ascii").split("\n")
    start = next((i for i, line in enumerate(lines) if line.lower().startswith(header.lower() + " ")), None)
    if start is None:
        lines += ["", "%s %d" % (header, int(time.time())), entry, ""]
    else:
        end = next((i for i in range(start + 1, len(lines)) if lines[i].startswith("[")), len(lines))
        prefix_of_entry = '"%s"=' % _reg_escape(name)
        kept = [line for line in lines[start + 1 : end] if not line.lower().startswith(prefix_of_entry.lower())]
        kept.insert(1 if kept and kept[0].startswith("#time=") else 0, entry)
        lines[start + 1 : end] = kept
    reg_file.write_text("\n".join(lines), encoding="ascii")


# Debian's Wine writes the name of the prefix's private directory under /tmp
# (wine-XXXXXX, holding the server socket) into this file.
SERVER_DIR_FILE = "wineserver"


def remove_server_dir(prefix: Path):
    """Removes the private /tmp directory of a prefix whose wineserver has ended."""
    with contextlib.suppress(OSError):
        name = (prefix / SERVER_DIR_FILE).read_text().strip()
        if re.fullmatch(r"wine-[A-Za-z0-9]+", name):
            for tmp in {Path("/tmp"), Path(tempfile.gettempdir())}:
                shutil.rmtree(tmp / name, ignore_errors=True)
        (prefix / SERVER_DIR_FILE).unlink()


def make_prefix(prefix: Path, registry=FONT_REPLACEMENTS):
    """Creates a prefix with wineboot and writes `registry` into it once Wine has stopped.

    The 64-bit loader makes it: with 32-bit Wine working it is a WoW64 prefix,
    in which both exes run."""
    env = wine_env(prefix)
    env.pop("DISPLAY", None)
    run([loader(), "wineboot", "-i"], env=env, timeout=180, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run(["wineserver", "-w"], env=env, timeout=60)
    remove_server_dir(prefix)
    for path, name, value in registry:
        write_registry_file_value(prefix, path, name, value)


def prefix_stamp(registry) -> str:
    """What a prefix was made from: a prefix with another stamp is made again."""
    text = json.dumps([TEMPLATE_FORMAT, wine_version(), wine32_runs(), registry], ensure_ascii=False)
    return hashlib.sha256(text.encode()).hexdigest()


def ensure_template(work_dir: Path) -> Path:
    """Returns the template prefix of this build tree, building it first when missing or stale.

    A lock file serialises builders; the template is built under a temporary
    name and renamed into place, so a reader never sees half a prefix.
    """
    template = work_dir / "prefix-template"
    stamp = prefix_stamp(TEMPLATE_REGISTRY)
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
            make_prefix(prefix, TEMPLATE_REGISTRY)
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


def copy_prefix(template: Path, target: Path):
    """Copies the template; the large read-only DLL directories are hard-linked when on the same file system."""
    if template.stat().st_dev != target.parent.stat().st_dev:
        run(["cp", "-a", template, target], check=True, timeout=120)
        return
    not_copied = (*_SHARED_DIRS, SERVER_DIR_FILE)

    def ignore(directory, names):
        rel = os.path.relpath(directory, template)
        return [n for n in names if os.path.normpath(os.path.join(rel, n)) in not_copied]

    shutil.copytree(template, target, symlinks=True, ignore=ignore)
    for rel in _SHARED_DIRS:
        if (template / rel).exists():
            run(["cp", "-al", template / rel, target / rel], check=True, timeout=120)


# --------------------------------------------------------------------------- processes


def prefix_processes(prefix: Path) -> list[int]:
    """Unix pids of every Wine process (loaders, wineserver) running in this prefix.

    Only Wine's own binaries count: a script or shell that merely has
    WINEPREFIX set is none of them."""
    wanted = b"WINEPREFIX=" + str(prefix).encode() + b"\0"
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            with contextlib.suppress(OSError):
                if (os.path.basename(os.readlink("/proc/%s/exe" % entry)).startswith("wine")
                        and wanted in (Path("/proc") / entry / "environ").read_bytes()):
                    found.append(int(entry))
    return found


def _state(pid: int) -> str | None:
    with contextlib.suppress(OSError, IndexError):
        return (Path("/proc") / str(pid) / "stat").read_text().rsplit(")", 1)[1].split()[0]
    return None


def live(pids: list[int]) -> list[int]:
    """The pids that still run (zombies count as ended)."""
    return [pid for pid in pids if _state(pid) not in (None, "Z")]


def program_pids(prefix: Path, exe_name: str) -> list[int]:
    """Unix pids of the running processes of the program named exe_name in this prefix."""
    name = exe_name.encode()
    found = []
    for pid in live(prefix_processes(prefix)):
        with contextlib.suppress(OSError):
            command = (Path("/proc") / str(pid) / "cmdline").read_bytes().split(b"\0")[0]
            if command.replace(b"\\", b"/").endswith(b"/" + name):
                found.append(pid)
    return found


def stop_wine(prefix: Path, env: dict):
    """Ends every process of this prefix, the wineserver included, and removes the server's socket directory.

    Killing them outright is much faster than `wineserver -k` (about 0.8 s
    here) and nothing of the prefix needs saving: it is thrown away.
    """
    for _ in range(3):
        pids = prefix_processes(prefix)
        for pid in pids:
            with contextlib.suppress(ProcessLookupError, PermissionError):
                os.kill(pid, signal.SIGKILL)
        with contextlib.suppress(AssertionError):
            wait_until(lambda: not live(pids), 5, "the prefix's processes to end")
            break
    else:
        with contextlib.suppress(Exception):
            run(["wineserver", "-k"], env=env, timeout=10, stderr=subprocess.DEVNULL)
    remove_server_dir(prefix)


# --------------------------------------------------------------------------- X server


class XServer:
    """A private Xvfb on a free display number (Xvfb picks it: -displayfd)."""

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
                ready, _, _ = select.select([read_end], [], [], max(deadline - time.monotonic(), 0))
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


# --------------------------------------------------------------------------- for shell scripts


def _main(argv: list[str]) -> int:
    """world.py wine32 (exit 0 when 32-bit Wine runs here) | prefix DIR (make a prefix for running by hand)"""
    if argv[:1] == ["wine32"] and len(argv) == 1:
        return 0 if wine32_runs() else 1
    if argv[:1] == ["prefix"] and len(argv) == 2:
        # A prefix for running the program by hand: made again when this
        # machine's Wine changed (a prefix from before wine32 is no WoW64 prefix).
        prefix = Path(argv[1]).resolve()
        stamp, wanted = prefix / ".tallynix-stamp", prefix_stamp(FONT_REPLACEMENTS)
        if not (stamp.exists() and stamp.read_text() == wanted):
            if stamp.exists() or (prefix / ".tallynix-ready").exists():
                shutil.rmtree(prefix)
            make_prefix(prefix)
            stamp.write_text(wanted)
        return 0
    print(_main.__doc__)
    return 2


if __name__ == "__main__":
    import sys

    sys.exit(_main(sys.argv[1:]))
