"""What the cases of the memo commands share: memo.txt as every writer stores it,
and the running strip as a person sees it (its list and buttons at their places)."""

from . import ids
from .probe import ProbeError, Window
from .world import wait_until


def memo_file(*texts: str) -> bytes:
    """The memo file holding these memos, numbered from 000."""
    return b"".join(b"%03d " % k + text.encode("cp932") + b"\r\n" for k, text in enumerate(texts))


def wait_file(test, expected: bytes, timeout: float = 10):
    """Waits until memo.txt holds exactly these bytes."""
    path = test.app.memo_path
    seen = []

    def same():
        seen[:] = [path.read_bytes() if path.exists() else None]
        return seen[0] == expected

    try:
        wait_until(same, timeout, "memo.txt")
    except AssertionError:
        test.fail("memo.txt holds %r, expected %r" % (seen[0], expected))


class Strip:
    """One running strip: real clicks at its controls' places, and its list as it stands."""

    def __init__(self, test, window: Window):
        self.test, self.app, self.pid, self.window = test, test.app, window.pid, window
        self._rects = {}

    @property
    def hwnd(self) -> int:
        return self.window.hwnd

    def centre(self, control_id: int) -> tuple[int, int]:
        key = (self.hwnd, control_id)  # a control keeps its place in its window
        if key not in self._rects:
            self._rects[key] = self.app.control(self.hwnd, control_id).rect
        x, y, width, height = self._rects[key]
        left, top = self.window.client_origin
        if control_id == ids.MEMO_LIST:
            # In the edit field, well left of the drop-down arrow; the closed
            # combo box is one row taller than the window, which cuts it off.
            return left + x + width * 2 // 5, top + y + min(height, 20) // 2
        return left + x + width // 2, top + y + height // 2

    def press(self, control_id: int):
        """A real click on a button (or into the list's edit field)."""
        self.app.click(*self.centre(control_id))

    def reloaded(self, timeout: float = 10) -> "Strip":
        """The strip a delete opens afresh: a new, visible window of the same process."""
        def fresh():
            # find_windows: windows() slows down as Wine's taskbar keeps a window per icon ever added.
            for hwnd, visible in self.app.find_windows(ids.MAIN_WINDOW_CLASS):
                if visible and hwnd != self.hwnd:
                    window = self.app.window(hwnd)
                    if window and window.pid == self.pid:
                        return window
            return None

        return type(self)(self.test, wait_until(fresh, timeout, "copy %d to open afresh" % self.pid))

    def state(self) -> dict:
        """The list as it stands; read again when it changed under the probe's reading
        (another writer can make it refill at any moment)."""
        for _ in range(20):
            try:
                return self.app.combo(self.hwnd, ids.MEMO_LIST)
            except ProbeError as error:
                last = error
        raise last
