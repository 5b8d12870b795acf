"""The cases: unittest glue that gives each test method its own Session.

pytest runs these classes as they are (ctest calls it per file, see
conftest.py); `python3 test_x.py --exe ...` runs them with unittest.
"""

from __future__ import annotations

import contextlib
import re
import signal
import sys
import unittest

from .session import Session, config, parse_config, use_config


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
        self.app = Session(config(), name)
        self.addCleanup(self._finish)

    def _timed_out(self, *_):
        raise TimeoutError("the test ran longer than %d s" % self.TIMEOUT)

    def doCleanups(self):
        # unittest (pytest too) runs the clean-ups once the test is over, each
        # with a fresh success flag: whether the test failed is read here.
        outcome = getattr(self, "_outcome", None)
        self._failed = outcome is not None and not outcome.success
        return super().doCleanups()

    def _finish(self):
        signal.alarm(0)  # every step of the tear-down has a timeout of its own
        try:
            if getattr(self, "_failed", False) and self.app.x_running:
                with contextlib.suppress(Exception):
                    self.app.screenshot("failure")
                sys.stderr.write("e2e: screenshot and logs in %s\n" % self.app.artifacts)
        finally:
            self.app.close()


def main():
    """Runs the cases of the calling test file with unittest; harness options (--exe, ...) first."""
    chosen, rest = parse_config(sys.argv[1:])
    use_config(chosen)
    unittest.main(module="__main__", argv=[sys.argv[0], *rest], verbosity=2)
