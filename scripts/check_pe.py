#!/usr/bin/env python3
"""Checks a built tallynix.exe: machine, GUI subsystem, hardening flags,
imports and a header that does not change from build to build.

Usage: check_pe.py path/to/tallynix.exe win64|win32

The exe must be a GUI program for the named architecture with ASLR
(DYNAMIC_BASE), DEP (NX_COMPAT) and, on win64, HIGH_ENTROPY_VA set, and it
must import Windows system DLLs only: a planted or missing libgcc,
libstdc++ or winpthread DLL must never be able to stop or hijack it. Its
header carries no link time, so that one commit always gives the same
bytes. Prints what it found; exits 1 with one line per problem.
"""

import sys

import pefile

MACHINES = {"win64": (0x8664, 0x20B), "win32": (0x14C, 0x10B)}
FLAGS = {"DYNAMIC_BASE (ASLR)": 0x40, "NX_COMPAT (DEP)": 0x100, "HIGH_ENTROPY_VA": 0x20}
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "advapi32.dll",
    "msvcrt.dll", "comctl32.dll", "ole32.dll",
}


def check(path, arch):
    pe = pefile.PE(path)
    machine, magic = pe.FILE_HEADER.Machine, pe.OPTIONAL_HEADER.Magic
    subsystem, flags = pe.OPTIONAL_HEADER.Subsystem, pe.OPTIONAL_HEADER.DllCharacteristics
    imports = [entry.dll.decode("ascii") for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    print("%s: machine 0x%x, magic 0x%x, subsystem %d, DllCharacteristics 0x%04x"
          % (path, machine, magic, subsystem, flags))
    print("imports: " + ", ".join(imports))
    problems = []
    if (machine, magic) != MACHINES[arch]:
        problems.append("not a %s image" % arch)
    if subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        problems.append("subsystem %d, not the GUI subsystem (a console would open)" % subsystem)
    for name, bit in FLAGS.items():
        if not flags & bit and (arch == "win64" or name != "HIGH_ENTROPY_VA"):
            problems.append("%s is not set" % name)
    if not imports:
        problems.append("no import table")
    for dll in imports:
        if dll.lower() not in SYSTEM_DLLS:
            problems.append("imports %s, which is not a Windows system DLL" % dll)
    if pe.FILE_HEADER.TimeDateStamp != 0:
        problems.append("the header carries a link time (0x%x): builds differ"
                        % pe.FILE_HEADER.TimeDateStamp)
    return problems


def main(argv):
    if len(argv) != 3 or argv[2] not in MACHINES:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        problems = check(argv[1], argv[2])
    except (OSError, pefile.PEFormatError) as e:
        problems = ["cannot read %s: %s" % (argv[1], e)]
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    if not problems:
        print("PE checks OK")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
