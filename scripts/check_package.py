#!/usr/bin/env python3
"""Checks a release zip: it holds exactly the program, the user's readme,
the screenshot, LICENSE and CHANGES, in one top-level folder named after the
zip; the exe inside is the one that was built; the texts read well in
Notepad; and SHA256SUMS beside the zip gives its hash.

Usage: check_package.py path/to/tallynix-<version>-<arch>.zip path/to/tallynix.exe
"""

import hashlib
import os
import sys
import zipfile

EXPECTED = {"README.txt", "tallynix.exe", "screenshot.png", "LICENSE.txt", "CHANGES.txt"}
TEXTS = ("README.txt", "LICENSE.txt", "CHANGES.txt")
# What a person who has just unzipped it needs, Japanese first.
README_NEEDLES = (
    "使い方", "加", "削", "消", "閉", "左下の小さなボタン", "紺色", "左クリック", "右クリック",
    "memo.txt", r"HKEY_CURRENT_USER\Software\tallynix\WindowPosition",
    "shell:startup", "作業フォルダー", "バックアップ",
    r"reg delete HKCU\Software\tallynix /f", "ネットワーク",
    "certutil -hashfile", "Get-FileHash", "SHA256SUMS",
    "How to use", "Starting it with Windows", "Removing it", "What it never does",
)


def check_texts(archive, top, inside):
    problems = []
    for name in TEXTS:
        if name not in inside:
            continue
        data = archive.read(top + "/" + name)
        if not data.startswith(b"\xef\xbb\xbf"):
            problems.append("%s has no UTF-8 byte order mark" % name)
        if data.count(b"\n") != data.count(b"\r\n"):
            problems.append("%s has line ends other than CRLF" % name)
    if "README.txt" in inside:
        readme = archive.read(top + "/README.txt").decode("utf-8-sig")
        for needle in README_NEEDLES:
            if needle not in readme:
                problems.append("README.txt lacks %r" % needle)
        if "Debian" in readme or readme.find("How to use") < readme.find("使い方"):
            problems.append("README.txt is not the user's readme, Japanese first")
    return problems


def check_sums(path):
    sums = os.path.join(os.path.dirname(path), "SHA256SUMS")
    if not os.path.isfile(sums):
        return ["no SHA256SUMS beside " + path]
    with open(path, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(sums, encoding="utf-8") as f:
        listed = dict(reversed(line.rstrip("\n").split("  ", 1)) for line in f if line.strip())
    name = os.path.basename(path)
    if listed.get(name) != digest:
        return ["SHA256SUMS gives %s for %s, not its hash %s" % (listed.get(name), name, digest)]
    return []


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    path, exe = argv[1], argv[2]
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
        problems += check_texts(archive, top, inside)
        if "tallynix.exe" in inside:
            with open(exe, "rb") as f:
                if archive.read(top + "/tallynix.exe") != f.read():
                    problems.append("the packaged exe differs from the built one")
        if "screenshot.png" in inside and \
                not archive.read(top + "/screenshot.png").startswith(b"\x89PNG"):
            problems.append("screenshot.png is not a PNG image")
    problems += check_sums(path)
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    if not problems:
        print("package OK: " + path)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
