#!/usr/bin/env python3
"""Checks the version information and manifest carried by tallynix.exe.

Usage: check_version_resource.py path/to/tallynix.exe NUMBERS TEXT
  NUMBERS  the four version numbers, e.g. 3.1.0.3 (fixed fields, manifest)
  TEXT     the version as people read it, e.g. 3.01.0003 (string fields)

Prints the values found; exits 1 with one line per problem.
"""

import re
import sys

import pefile

STRING_TABLE = "041104B0"            # Japanese, Unicode (code page 1200)
TRANSLATION = "0x0411 0x04b0"
FIXED_STRINGS = {
    "FileDescription": "タリニクス",
    "InternalName": "tallynix",
    "OriginalFilename": "tallynix.exe",
    "ProductName": "タリニクス",
}
# Texts of our own choosing: they only have to be there and not be empty.
REQUIRED_NONEMPTY = ("CompanyName", "LegalCopyright")
RT_VERSION, RT_MANIFEST = pefile.RESOURCE_TYPE["RT_VERSION"], pefile.RESOURCE_TYPE["RT_MANIFEST"]


def resources(pe, type_id):
    """[(language, bytes)] of every resource of one type."""
    found = []
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in root.entries if root else []:
        if kind.id == type_id:
            for name in kind.directory.entries:
                for lang in name.directory.entries:
                    found.append((lang.id, pe.get_data(lang.data.struct.OffsetToData,
                                                       lang.data.struct.Size)))
    return found


def check(path, numbers, text):
    pe = pefile.PE(path)
    problems = []
    versions = resources(pe, RT_VERSION)
    if len(versions) != 1:
        problems.append("%d version resources (languages %s), expected one"
                        % (len(versions), ", ".join("0x%04X" % lang for lang, _ in versions)))
    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        return problems + ["no version information"]

    fixed = pe.VS_FIXEDFILEINFO[0]
    for name in ("FileVersion", "ProductVersion"):
        high, low = getattr(fixed, name + "MS"), getattr(fixed, name + "LS")
        got = "%d.%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)
        print("fixed %s: %s" % (name, got))
        if got != numbers:
            problems.append("fixed %s is %s, expected %s" % (name, got, numbers))
    if fixed.FileType != 1:          # VFT_APP
        problems.append("file type is %d, expected 1 (VFT_APP)" % fixed.FileType)

    tables, translations = {}, []
    for info in (block for group in pe.FileInfo for block in group):
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                tables[table.LangID.decode()] = {k.decode(): v.decode("utf-8")
                                                 for k, v in table.entries.items()}
        elif info.Key == b"VarFileInfo":
            translations += [v.entry.get(b"Translation") for v in info.Var]
    for key in tables:
        if key.upper() != STRING_TABLE:
            problems.append("unexpected string table %r" % key)
    table = next((t for k, t in tables.items() if k.upper() == STRING_TABLE), None)
    if table is None:
        problems.append("string table %r is missing (found: %s)"
                        % (STRING_TABLE, ", ".join(map(repr, tables)) or "none"))
        table = {}
    for key, value in table.items():
        print("string %s: %s" % (key, value))
    expected = dict(FIXED_STRINGS, FileVersion=text, ProductVersion=text)
    for key, value in expected.items():
        if key not in table:
            problems.append("string %s is missing" % key)
        elif table[key] != value:
            problems.append("string %s is %r, expected %r" % (key, table[key], value))
    for key in REQUIRED_NONEMPTY:
        if not table.get(key, "").strip():
            problems.append("string %s is missing or empty" % key)
    print("translation: %s" % ", ".join(map(str, translations)))
    if translations != [TRANSLATION]:
        problems.append("translation is %s, expected %s" % (translations, TRANSLATION))

    manifests = resources(pe, RT_MANIFEST)
    identity = re.search(rb'<assemblyIdentity[^>]*\sversion="([^"]*)"', manifests[0][1]) \
        if manifests else None
    if identity is None:
        problems.append("no manifest with an assemblyIdentity version")
    elif identity.group(1).decode() != numbers:
        problems.append("manifest version is %s, expected %s" % (identity.group(1).decode(), numbers))
    return problems


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        problems = check(*argv[1:])
    except (OSError, pefile.PEFormatError, UnicodeDecodeError) as e:
        print("%s: cannot read version resource: %s" % (argv[1], e), file=sys.stderr)
        return 2
    for p in problems:
        print("%s: %s" % (argv[1], p), file=sys.stderr)
    if problems:
        return 1
    print("%s: version resource OK" % argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
