#!/usr/bin/env python3
"""Checks the version information carried by tallynix.exe.

Usage: check_version_resource.py path/to/tallynix.exe

Reads the PE file's resource directory, finds the RT_VERSION resource (ID 1),
parses its VS_VERSIONINFO tree (VS_FIXEDFILEINFO, StringFileInfo and
VarFileInfo) and compares every field with what the program must carry.
Prints the values found and exits 0 when all of them are right; otherwise
prints one line per problem to standard error and exits 1 (2 when the file
cannot be read as a PE image at all).  Python 3 standard library only.
"""

import struct
import sys

RT_VERSION = 16
VS_VERSION_INFO_ID = 1
FIXED_SIGNATURE = 0xFEEF04BD

FILE_VERSION = (3, 1, 0, 3)
PRODUCT_VERSION = (3, 1, 0, 3)
STRING_TABLE = "041104B0"            # Japanese, Unicode (code page 1200)
TRANSLATION = [(0x0411, 1200)]
EXPECTED_STRINGS = {
    "FileDescription": "タリニクス",
    "FileVersion": "3.01.0003",
    "InternalName": "tallynix",
    "OriginalFilename": "tallynix.exe",
    "ProductName": "タリニクス",
    "ProductVersion": "3.01.0003",
}
# Texts of our own choosing: they only have to be there and not be empty.
REQUIRED_NONEMPTY = ("CompanyName", "LegalCopyright")


class PeError(Exception):
    pass


# --------------------------------------------------------------------------
# PE image and resource directory

class PeImage:
    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise PeError("not an MZ executable")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature at offset 0x%x" % pe)
        coff = pe + 4
        sections, = struct.unpack_from("<H", data, coff + 2)
        opt_size, = struct.unpack_from("<H", data, coff + 16)
        opt = coff + 20
        magic, = struct.unpack_from("<H", data, opt)
        if magic == 0x10B:           # PE32
            count_at, dirs_at = 92, 96
        elif magic == 0x20B:         # PE32+
            count_at, dirs_at = 108, 112
        else:
            raise PeError("unknown optional header magic 0x%x" % magic)
        dir_count = self._u32(opt + count_at)
        if dir_count <= 2:
            raise PeError("the image has no resource directory entry")
        self.resource_rva, self.resource_size = struct.unpack_from(
            "<II", data, opt + dirs_at + 2 * 8)
        if self.resource_rva == 0:
            raise PeError("the image has no resources")
        self.sections = []
        table = opt + opt_size
        for i in range(sections):
            entry = table + 40 * i
            vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<IIII", data, entry + 8)
            self.sections.append((vaddr, max(vsize, raw_size), raw_ptr, raw_size))

    def _u32(self, offset):
        if offset + 4 > len(self.data):
            raise PeError("truncated file")
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset_of(self, rva):
        for vaddr, vsize, raw_ptr, raw_size in self.sections:
            if vaddr <= rva < vaddr + vsize:
                delta = rva - vaddr
                if delta >= raw_size:
                    raise PeError("RVA 0x%x lies outside the section's file data" % rva)
                return raw_ptr + delta
        raise PeError("RVA 0x%x is in no section" % rva)

    def read_rva(self, rva, size):
        start = self.offset_of(rva)
        if start + size > len(self.data):
            raise PeError("resource data at RVA 0x%x runs past the end of the file" % rva)
        return self.data[start:start + size]

    def _directory(self, offset):
        """Entries of the resource directory at `offset` (from the resource root)."""
        base = self.offset_of(self.resource_rva)
        at = base + offset
        named, ids = struct.unpack_from("<HH", self.data, at + 12)
        entries = []
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
            if name & 0x80000000:
                key = self._name(base + (name & 0x7FFFFFFF))
            else:
                key = name & 0xFFFF
            entries.append((key, bool(target & 0x80000000), target & 0x7FFFFFFF))
        return entries

    def _name(self, at):
        length, = struct.unpack_from("<H", self.data, at)
        return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")

    def resources(self, type_id, name_id):
        """[(language, bytes)] for every language of resource (type_id, name_id)."""
        found = []
        for key, is_dir, off in self._directory(0):
            if key != type_id or not is_dir:
                continue
            for nkey, nis_dir, noff in self._directory(off):
                if nkey != name_id or not nis_dir:
                    continue
                for lang, lis_dir, loff in self._directory(noff):
                    if lis_dir:
                        raise PeError("malformed resource tree (directory at language level)")
                    base = self.offset_of(self.resource_rva)
                    rva, size = struct.unpack_from("<II", self.data, base + loff)
                    found.append((lang, self.read_rva(rva, size)))
        return found


# --------------------------------------------------------------------------
# VS_VERSIONINFO tree

def _align4(n):
    return (n + 3) & ~3


class Node:
    """One version-information block: wLength, wValueLength, wType, szKey, Value, Children."""

    def __init__(self, data, start, end_limit):
        if start + 6 > end_limit:
            raise PeError("version block truncated at offset %d" % start)
        self.length, self.value_length, self.type = struct.unpack_from("<HHH", data, start)
        if self.length < 6 or start + self.length > end_limit:
            raise PeError("version block at offset %d has a bad length %d" % (start, self.length))
        self.start = start
        self.end = start + self.length
        at = start + 6
        key_end = at
        while key_end + 1 < self.end and data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        self.key = data[at:key_end].decode("utf-16-le")
        self.value_start = _align4(key_end + 2)
        self.data = data

    def value_bytes(self, byte_count):
        return self.data[self.value_start:min(self.value_start + byte_count, self.end)]

    def text_value(self):
        # wValueLength counts characters for text values (rc.exe), though some
        # compilers count bytes; read to the end of the block and stop at NUL.
        raw = self.data[self.value_start:self.end]
        raw = raw[:len(raw) - len(raw) % 2]
        return raw.decode("utf-16-le").split("\0", 1)[0]

    def children(self, value_bytes):
        out = []
        at = _align4(self.value_start + value_bytes)
        while at + 6 <= self.end:
            child = Node(self.data, at, self.end)
            out.append(child)
            at = _align4(child.end)
        return out


def parse_version_info(blob):
    """Returns (fixed, tables, translations) or raises PeError."""
    root = Node(blob, 0, len(blob))
    if root.key != "VS_VERSION_INFO":
        raise PeError("root block key is %r, not 'VS_VERSION_INFO'" % root.key)
    if root.value_length < 52:
        raise PeError("VS_FIXEDFILEINFO is missing (value length %d)" % root.value_length)
    fixed_raw = root.value_bytes(52)
    if len(fixed_raw) < 52:
        raise PeError("VS_FIXEDFILEINFO is truncated")
    fields = struct.unpack("<13I", fixed_raw)
    if fields[0] != FIXED_SIGNATURE:
        raise PeError("VS_FIXEDFILEINFO signature is 0x%08X" % fields[0])
    fixed = {
        "FileVersion": (fields[2] >> 16, fields[2] & 0xFFFF, fields[3] >> 16, fields[3] & 0xFFFF),
        "ProductVersion": (fields[4] >> 16, fields[4] & 0xFFFF, fields[5] >> 16, fields[5] & 0xFFFF),
        "FileType": fields[9],
    }

    tables = {}
    translations = None
    for block in root.children(root.value_length):
        if block.key == "StringFileInfo":
            for table in block.children(block.value_length):
                strings = {}
                for string in table.children(table.value_length):
                    strings[string.key] = string.text_value()
                tables[table.key] = strings
        elif block.key == "VarFileInfo":
            for var in block.children(block.value_length):
                if var.key == "Translation":
                    raw = var.value_bytes(var.value_length)
                    translations = [struct.unpack_from("<HH", raw, i)
                                    for i in range(0, len(raw) - 3, 4)]
    return fixed, tables, translations


# --------------------------------------------------------------------------

def check(path):
    problems = []
    with open(path, "rb") as f:
        image = PeImage(f.read())
    found = image.resources(RT_VERSION, VS_VERSION_INFO_ID)
    if not found:
        return ["no version resource (RT_VERSION, ID 1) in %s" % path]
    if len(found) > 1:
        problems.append("version resource present in %d languages (%s), expected one"
                        % (len(found), ", ".join("0x%04X" % lang for lang, _ in found)))
    lang, blob = found[0]
    print("version resource: language 0x%04X, %d bytes" % (lang, len(blob)))

    fixed, tables, translations = parse_version_info(blob)
    for name, expected in (("FileVersion", FILE_VERSION), ("ProductVersion", PRODUCT_VERSION)):
        got = fixed[name]
        print("fixed %s: %s" % (name, ",".join(map(str, got))))
        if got != expected:
            problems.append("fixed %s is %s, expected %s"
                            % (name, ",".join(map(str, got)), ",".join(map(str, expected))))
    if fixed["FileType"] != 1:       # VFT_APP
        problems.append("file type is %d, expected 1 (VFT_APP)" % fixed["FileType"])

    table = None
    for key, strings in tables.items():
        if key.upper() == STRING_TABLE:
            table = strings
        else:
            problems.append("unexpected string table %r" % key)
    if table is None:
        problems.append("string table %r is missing (found: %s)"
                        % (STRING_TABLE, ", ".join(map(repr, tables)) or "none"))
        table = {}

    for key, value in table.items():
        print("string %s: %s" % (key, value))
    for key, expected in EXPECTED_STRINGS.items():
        if key not in table:
            problems.append("string %s is missing" % key)
        elif table[key] != expected:
            problems.append("string %s is %r, expected %r" % (key, table[key], expected))
    for key in REQUIRED_NONEMPTY:
        if not table.get(key, "").strip():
            problems.append("string %s is missing or empty" % key)

    if translations is None:
        problems.append("VarFileInfo\\Translation is missing")
    else:
        print("translation: %s" % ", ".join("0x%04X %d" % t for t in translations))
        if translations != TRANSLATION:
            problems.append("translation is %s, expected 0x0411 1200"
                            % (", ".join("0x%04X %d" % t for t in translations) or "empty"))
    return problems


def main(argv):
    if len(argv) != 2:
        print("usage: check_version_resource.py path/to/exe", file=sys.stderr)
        return 2
    try:
        problems = check(argv[1])
    except (OSError, PeError, struct.error, UnicodeDecodeError) as e:
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
