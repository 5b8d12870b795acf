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

The parts: world (loaders, prefixes, X server), probe (the probe client),
images (screenshots), session (Session: one test's world and what a test
does with it), cases (TestCase), ids (control identifiers and class names),
strip (memo.txt as written and the strip as a person sees it).
Nothing here sleeps to wait: wait_until() polls a condition until a deadline.
"""

from . import ids
from .cases import TestCase, main
from .images import Image
from .probe import Control, Probe, ProbeError, Window, hex_text
from .session import POSITION_KEY, Config, Session, config, parse_config, use_config
from .world import HarnessError, wait_until, windows_path
from .strip import Strip, memo_file, wait_file

MAIN_CLASS = ids.MAIN_WINDOW_CLASS
ABOUT_CLASS = ids.ABOUT_WINDOW_CLASS

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
# A notification icon's events of version 3 (Enter or Space; the menu key or Shift+F10).
NIN_KEYSELECT = 0x401
WM_CONTEXTMENU = 0x7B
