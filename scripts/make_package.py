#!/usr/bin/env python3
"""Writes a release zip whose bytes depend only on its contents, and lists
it in SHA256SUMS beside it.

Usage: make_package.py [--source DIR] OUT.zip NAME=PATH|NAME=text:PATH...

The entries go into one folder named after the zip, in the order given.
Every entry carries the same time: SOURCE_DATE_EPOCH if set, else the time
of the last commit of the source tree, else 1980-01-01. Files are 0644 and
.exe files 0755. A text entry is UTF-8 with a BOM and CRLF line ends, which
every Notepad reads. SHA256SUMS keeps the lines of other zips still beside
it, so the win32 and win64 trees may share one folder.
"""

import argparse
import calendar
import hashlib
import os
import subprocess
import sys
import time
import zipfile

EARLIEST = calendar.timegm((1980, 1, 1, 0, 0, 0))  # the first time a zip can hold


def source_date_epoch(source):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    if source:
        try:
            top = subprocess.run(["git", "-C", source, "rev-parse", "--show-toplevel"],
                                 capture_output=True, text=True, check=True).stdout.strip()
            # A copy of the sources inside some other repository must not take
            # that repository's time.
            if os.path.realpath(top) == os.path.realpath(source):
                return int(subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"],
                                          capture_output=True, text=True,
                                          check=True).stdout.strip())
        except (OSError, subprocess.CalledProcessError, ValueError):
            pass
    print("make_package: no SOURCE_DATE_EPOCH and no git history; entries dated 1980-01-01",
          file=sys.stderr)
    return EARLIEST


def windows_text(data):
    text = data.decode("utf-8")
    text = text.removeprefix("\ufeff").replace("\r\n", "\n").replace("\n", "\r\n")
    return ("\ufeff" + text).encode("utf-8")


def write_zip(out, entries, epoch):
    top = os.path.basename(out)[:-len(".zip")]
    date_time = time.gmtime(max(epoch, EARLIEST))[:6]
    tmp = out + ".tmp"
    with zipfile.ZipFile(tmp, "w") as archive:
        for name, path, text in entries:
            with open(path, "rb") as f:
                data = f.read()
            if text:
                data = windows_text(data)
            info = zipfile.ZipInfo(top + "/" + name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the mode bits below count
            mode = 0o755 if name.endswith(".exe") else 0o644
            info.external_attr = (0o100000 | mode) << 16
            archive.writestr(info, data, compresslevel=9)
    os.replace(tmp, out)


def update_sums(out):
    folder = os.path.dirname(os.path.abspath(out))
    sums = os.path.join(folder, "SHA256SUMS")
    lines = {}
    if os.path.isfile(sums):
        with open(sums, encoding="utf-8") as f:
            for line in f:
                digest, _, name = line.rstrip("\n").partition("  ")
                if name and os.path.isfile(os.path.join(folder, name)):
                    lines[name] = digest
    with open(out, "rb") as f:
        lines[os.path.basename(out)] = hashlib.sha256(f.read()).hexdigest()
    with open(sums + ".tmp", "w", encoding="utf-8", newline="\n") as f:
        f.writelines("%s  %s\n" % (lines[name], name) for name in sorted(lines))
    os.replace(sums + ".tmp", sums)
    return sums


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--source", help="source tree whose last commit dates the entries")
    parser.add_argument("zip")
    parser.add_argument("entries", nargs="+", metavar="NAME=PATH|NAME=text:PATH")
    args = parser.parse_args()
    if not args.zip.endswith(".zip"):
        parser.error("the output must end in .zip")
    entries = []
    for entry in args.entries:
        name, _, path = entry.partition("=")
        text = path.startswith("text:")
        entries.append((name, path[len("text:"):] if text else path, text))
    os.makedirs(os.path.dirname(os.path.abspath(args.zip)), exist_ok=True)
    write_zip(args.zip, entries, source_date_epoch(args.source))
    sums = update_sums(args.zip)
    print("wrote %s and %s" % (args.zip, sums))
    return 0


if __name__ == "__main__":
    sys.exit(main())
