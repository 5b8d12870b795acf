"""Control identifiers and window class names, read from the program's own
src/app/control_ids.h (and the icon's id and callback message from
src/core/icon_record.h), so that they are written down once.

Each `inline constexpr` of the header becomes a constant here, its name in
Python's style: kMemoList -> MEMO_LIST, kMainWindowClass -> MAIN_WINDOW_CLASS.
"""

import re
from pathlib import Path

HEADER = Path(__file__).resolve().parents[3] / "src" / "app" / "control_ids.h"

_DEFINITION = re.compile(r'^inline constexpr (?:int|wchar_t|std::uint32_t) k(\w+?)(?:\[\])? = (?:L"([^"]*)"|(-?\d+));', re.M)


def _python_name(name: str) -> str:
    return re.sub(r"(?<=[a-z0-9])(?=[A-Z])", "_", name).upper()


def read(header: Path = HEADER) -> dict:
    found = {_python_name(m[1]): m[2] if m[3] is None else int(m[3])
             for m in _DEFINITION.finditer(header.read_text(encoding="utf-8"))}
    if not found:
        raise RuntimeError("no identifiers found in %s" % header)
    return found


globals().update(read(), **read(HEADER.parents[1] / "core" / "icon_record.h"))
