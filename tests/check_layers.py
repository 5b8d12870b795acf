#!/usr/bin/env python3
"""The layers of src/: core includes neither win32 nor app and no Windows header;
win32 includes nothing of app. Prints each include that runs up a layer."""
import pathlib
import re
import sys

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "src")
forbidden = {
    "core": re.compile(r'#include\s+("(win32|app)/|<(windows|windowsx|shellapi)\.h>)'),
    "win32": re.compile(r'#include\s+"app/'),
}
bad = [f"{path}:{number}: {line.strip()}"
       for layer, pattern in forbidden.items()
       for path in sorted((src / layer).glob("*.[ch]*"))
       for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1)
       if pattern.match(line.strip())]
print("\n".join(bad) or "every include runs down a layer")
sys.exit(1 if bad else 0)
