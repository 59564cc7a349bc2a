#!/usr/bin/env python3
"""Checks that every function an exe imports exists on the oldest Windows the exe is for.

usage: check-imports.py EXE {x86|x64} [--objdump OBJDUMP] [--table TABLE]

The table (windows-imports.txt beside this script) names each function the program may import, its
DLL, and the first Windows of each family that exports it. The x86 exe must load on Windows 98 and
on NT 4.0; the x64 exe on XP x64 (NT 5.2). An import missing from the table, or first exported by a
later Windows than the floor, fails the check with the function's name; so does, for the x86 exe,
an import that Windows 9x has only as a failing stub (win9x-stubs.txt) without a fallback.
"""
import argparse
import os
import re
import subprocess
import sys

# The oldest Windows each exe is for: (9x floor or None, NT floor).
FLOORS = {"x86": ("98", (4, 0)), "x64": (None, (5, 2))}
NINE_X = ["95", "98", "ME"]
NINE_X_NAMES = {"95": "Windows 95", "98": "Windows 98", "ME": "Windows ME"}
NT_NAMES = {(3, 1): "NT 3.1", (3, 51): "NT 3.51", (4, 0): "NT 4.0", (5, 0): "2000", (5, 1): "XP",
            (5, 2): "XP x64 / Server 2003", (6, 0): "Vista", (6, 1): "7", (6, 2): "8",
            (6, 3): "8.1", (10, 0): "10"}


def nt_version(text):
    major, _, minor = text.partition(".")
    return (int(major), int(minor or 0))


def read_list(path, columns):
    """The lines of one of the lists beside this script, comments and blank lines left out: one
    (dll, function, other fields) per line, in order. `columns` names the fields a line must have,
    starting with DLL FUNCTION; a line with another count, or a function listed twice (whatever
    the case of its DLL), ends the check with the line's place."""
    seen = set()
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split()
            if len(fields) != len(columns.split()):
                sys.exit(f"{path}:{number}: want {columns}, got {line!r}")
            dll, function = fields[:2]
            if (dll.lower(), function) in seen:
                sys.exit(f"{path}:{number}: {function} ({dll}) is listed twice")
            seen.add((dll.lower(), function))
            yield f"{path}:{number}", (dll.lower(), function), fields[2:]


def read_table(path):
    table = {}
    for where, key, (nine_x, nt) in read_list(path, "DLL FUNCTION FIRST-9X FIRST-NT"):
        if nine_x != "-" and nine_x not in NINE_X:
            sys.exit(f"{where}: first 9x must be one of {NINE_X} or -, got {nine_x}")
        table[key] = (None if nine_x == "-" else nine_x, nt_version(nt))
    return table


def read_stubs(path):
    """The functions Windows 9x has only as failing stubs: (dll, function) -> fallback or None."""
    return {key: None if fallback == "-" else fallback
            for _, key, (fallback,) in read_list(path, "DLL FUNCTION FALLBACK")}


def read_imports(exe, objdump):
    """The (dll, function) pairs of the exe's import table; an ordinal import as '#N'."""
    return parse_imports(
        subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout)


def parse_imports(text):
    """The (dll, function) pairs of an `objdump -p` listing's import tables."""
    imports = []
    dll = None
    for line in text.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        if dll is None:
            continue
        entry = re.match(r"\s+[0-9a-fA-F]+\s+([0-9]+)\s+(\S+)\s*$", line)
        ordinal = re.match(r"\s+[0-9a-fA-F]+\s+<none>\s+([0-9a-fA-F]+)\s*$", line)
        if entry:
            imports.append((dll, entry.group(2)))
        elif ordinal:
            imports.append((dll, "#" + str(int(ordinal.group(1), 16))))
        elif not line.strip():
            dll = None
    return imports


def problems(imports, table, arch, stubs=None):
    nine_x_floor, nt_floor = FLOORS[arch]
    found = []
    for dll, function in sorted(set(imports)):
        where = f"{function} ({dll})"
        if nine_x_floor is not None and (stubs or {}).get((dll, function), "") is None:
            found.append(f"{where}: a stub that fails on Windows 9x (ERROR_CALL_NOT_IMPLEMENTED), "
                         f"imported without a fallback")
        if (dll, function) not in table:
            found.append(f"{where}: not in the table of allowed imports")
            continue
        first_nine_x, first_nt = table[(dll, function)]
        if first_nt > nt_floor:
            found.append(f"{where}: first in Windows {NT_NAMES.get(first_nt, first_nt)}, "
                         f"newer than {NT_NAMES[nt_floor]}")
        if nine_x_floor is not None:
            if first_nine_x is None:
                found.append(f"{where}: not exported by any Windows 9x, needed on "
                             f"{NINE_X_NAMES[nine_x_floor]}")
            elif NINE_X.index(first_nine_x) > NINE_X.index(nine_x_floor):
                found.append(f"{where}: first in {NINE_X_NAMES[first_nine_x]}, newer than "
                             f"{NINE_X_NAMES[nine_x_floor]}")
    return found


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("arch", choices=sorted(FLOORS))
    parser.add_argument("--objdump", default="x86_64-w64-mingw32-objdump")
    parser.add_argument("--table", default=os.path.join(here, "windows-imports.txt"))
    parser.add_argument("--stubs", default=os.path.join(here, "win9x-stubs.txt"))
    args = parser.parse_args()
    imports = read_imports(args.exe, args.objdump)
    if not imports:
        sys.exit(f"{args.exe}: no imports read (is it a PE file?)")
    found = problems(imports, read_table(args.table), args.arch, read_stubs(args.stubs))
    for line in found:
        print(f"{args.exe}: {line}")
    if found:
        return 1
    print(f"{args.exe}: {len(set(imports))} imports, all on the oldest Windows for {args.arch}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
