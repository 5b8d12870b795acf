"""The probe client: tallynix_probe (probe.cpp) in serve mode, and the window facts it reports."""

from __future__ import annotations

import contextlib
import dataclasses
import json
import os
import select
import signal
import subprocess
import time
from pathlib import Path

from .world import HarnessError, wine_command


class ProbeError(HarnessError):
    pass


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


def hex_text(text: str) -> str:
    """A text argument for the probe, safe from spaces and code pages."""
    return "hex:" + text.encode("utf-8").hex()


class Probe:
    """The probe in serve mode: one command per line in, one JSON line out."""

    def __init__(self, exe: Path, env: dict, cwd: Path, log: Path, timeout: float):
        self._log = open(log, "ab")
        self._process = subprocess.Popen(
            wine_command(exe, "serve"), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
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
