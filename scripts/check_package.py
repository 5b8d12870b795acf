#!/usr/bin/env python3
"""Checks a release zip: it holds exactly the program, the bilingual README,
LICENSE, CHANGES and the README's screenshot, in one top-level folder named
after the zip, and the exe inside is the one that was built.

Usage: check_package.py path/to/tallynix-<version>-<arch>.zip
"""

import os
import sys
import zipfile

EXPECTED = {"tallynix.exe", "README.md", "LICENSE", "CHANGES.md", "docs/screenshot.png"}


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    path = argv[1]
    if not os.path.isfile(path):
        print("FAIL: %s was not built (cmake --build <tree> --target package)" % path,
              file=sys.stderr)
        return 1
    top = os.path.basename(path)[:-len(".zip")]
    problems = []
    with zipfile.ZipFile(path) as archive:
        names = [info.filename for info in archive.infolist() if not info.is_dir()]
        print("\n".join("%8d  %s" % (archive.getinfo(n).file_size, n) for n in names))
        inside = set()
        for name in names:
            folder, _, rest = name.partition("/")
            if folder != top:
                problems.append("%s is not inside the folder %s/" % (name, top))
            inside.add(rest)
        for missing in sorted(EXPECTED - inside):
            problems.append("missing " + missing)
        for extra in sorted(inside - EXPECTED):
            problems.append("unexpected " + extra)
        if "README.md" in inside:
            readme = archive.read(top + "/README.md").decode("utf-8")
            for needle in ("memo.txt", "使い方", "Building on Windows"):
                if needle not in readme:
                    problems.append("README lacks %r" % needle)
        exe = os.path.join(os.path.dirname(path), "tallynix.exe")
        if "tallynix.exe" in inside and os.path.isfile(exe):
            with open(exe, "rb") as f:
                if archive.read(top + "/tallynix.exe") != f.read():
                    problems.append("the packaged exe differs from the built one")
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    if not problems:
        print("package OK: " + path)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
