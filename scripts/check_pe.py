#!/usr/bin/env python3
"""Checks a built tallynix.exe: machine, GUI subsystem, hardening flags and
imports.

Usage: check_pe.py path/to/tallynix.exe win64|win32

The exe must be a GUI program for the named architecture with ASLR
(DYNAMIC_BASE), DEP (NX_COMPAT) and, on win64, HIGH_ENTROPY_VA set, and it
must import Windows system DLLs only: a planted or missing libgcc,
libstdc++ or winpthread DLL must never be able to stop or hijack it.
Prints what it found; exits 1 with one line per problem.
"""

import struct
import sys

MACHINES = {"win64": (0x8664, 0x20B), "win32": (0x14C, 0x10B)}
SUBSYSTEM_GUI = 2
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x40, 0x20, 0x100
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "advapi32.dll",
    "msvcrt.dll", "comctl32.dll", "ole32.dll",
}


def sections_of(data, opt, opt_size, count):
    table = opt + opt_size
    return [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(count)]


def offset_of(sections, rva):
    for vsize, vaddr, raw_size, raw_ptr in sections:
        if vaddr <= rva < vaddr + max(vsize, raw_size):
            return raw_ptr + rva - vaddr
    raise ValueError("RVA 0x%x is in no section" % rva)


def c_string(data, at):
    return data[at:data.index(b"\0", at)].decode("ascii")


def inspect(data):
    if data[:2] != b"MZ":
        raise ValueError("not an MZ executable")
    pe, = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    coff = pe + 4
    machine, count = struct.unpack_from("<HH", data, coff)
    opt_size, = struct.unpack_from("<H", data, coff + 16)
    opt = coff + 20
    magic, = struct.unpack_from("<H", data, opt)
    subsystem, dll_flags = struct.unpack_from("<HH", data, opt + 68)
    dirs = opt + (112 if magic == 0x20B else 96)
    import_rva, _ = struct.unpack_from("<II", data, dirs + 8)
    sections = sections_of(data, opt, opt_size, count)
    imports = []
    at = offset_of(sections, import_rva)
    while True:
        name_rva, = struct.unpack_from("<I", data, at + 12)
        if name_rva == 0:
            break
        imports.append(c_string(data, offset_of(sections, name_rva)))
        at += 20
    return machine, magic, subsystem, dll_flags, imports


def check(path, arch):
    with open(path, "rb") as f:
        machine, magic, subsystem, flags, imports = inspect(f.read())
    print("%s: machine 0x%x, magic 0x%x, subsystem %d, DllCharacteristics 0x%04x"
          % (path, machine, magic, subsystem, flags))
    print("imports: " + ", ".join(imports))
    problems = []
    if (machine, magic) != MACHINES[arch]:
        problems.append("not a %s image" % arch)
    if subsystem != SUBSYSTEM_GUI:
        problems.append("subsystem %d, not the GUI subsystem (a console would open)" % subsystem)
    wanted = {"DYNAMIC_BASE (ASLR)": DYNAMIC_BASE, "NX_COMPAT (DEP)": NX_COMPAT}
    if arch == "win64":
        wanted["HIGH_ENTROPY_VA"] = HIGH_ENTROPY_VA
    for name, bit in wanted.items():
        if not flags & bit:
            problems.append("%s is not set" % name)
    for dll in imports:
        if dll.lower() not in SYSTEM_DLLS:
            problems.append("imports %s, which is not a Windows system DLL" % dll)
    return problems


def main(argv):
    if len(argv) != 3 or argv[2] not in MACHINES:
        print(__doc__, file=sys.stderr)
        return 2
    problems = check(argv[1], argv[2])
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    if not problems:
        print("PE checks OK")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
