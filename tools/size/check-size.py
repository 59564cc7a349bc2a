#!/usr/bin/env python3
"""Holds the exe to its size budget.

usage: check-size.py EXE MAP BUDGET_KB [--top N]

EXE is the exe as the build made it (stripped at link), MAP the linker's map of it
(-Wl,-Map). Prints the exe's size; over the budget, fails and names the largest contributors:
the input files (object files, archive members) that put the most bytes into the exe's code and
data, summed from the map.
"""
import argparse
import collections
import os
import re
import sys

# Output sections that take room in the file (not .bss, not the debug sections).
KEPT = {".text", ".data", ".rdata", ".pdata", ".xdata", ".idata", ".CRT", ".tls", ".rsrc",
        ".reloc", ".eh_frame"}


def contributors(map_path):
    """Bytes per input file, from the map's memory map."""
    sizes = collections.Counter()
    output = None
    pending = None  # an input section name whose address and size are on the next line
    in_memory_map = False
    with open(map_path, encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith("Linker script and memory map"):
                in_memory_map = True
                continue
            if not in_memory_map:
                continue
            top = re.match(r"^(\.\S+)", line)
            if top:
                output = top.group(1)
                continue
            if output not in KEPT:
                continue
            entry = re.match(r"^ (\.\S+|COMMON)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if entry:
                sizes[entry.group(3).strip()] += int(entry.group(2), 16)
                pending = None
                continue
            named = re.match(r"^ (\.\S+|COMMON)\s*$", line)
            if named:
                pending = named.group(1)
                continue
            if pending:
                rest = re.match(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
                if rest:
                    sizes[rest.group(2).strip()] += int(rest.group(1), 16)
                pending = None
    return sizes


def short(path):
    """libstdc++.a(string-inst.o) rather than its full path; the program's own objects by name."""
    member = re.match(r"^(.*?)([^/]+\.a)\((.*)\)$", path)
    if member:
        return f"{member.group(2)}({member.group(3)})"
    return re.sub(r".*/CMakeFiles/", "", path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("map")
    parser.add_argument("budget_kb", type=int)
    parser.add_argument("--top", type=int, default=15)
    args = parser.parse_args()
    size = os.path.getsize(args.exe)
    budget = args.budget_kb * 1024
    verdict = "within" if size <= budget else "OVER"
    print(f"{args.exe}: {size} bytes ({size / 1024:.1f} KB), {verdict} the budget of "
          f"{args.budget_kb} KB")
    if size <= budget:
        return 0
    by_library = collections.Counter()
    sizes = contributors(args.map)
    for path, n in sizes.items():
        library = re.match(r"^.*?([^/]+\.a)\(", path)
        by_library[library.group(1) if library else "the program's objects"] += n
    print("Largest contributors (bytes in code and data, from the link map):")
    for path, n in sizes.most_common(args.top):
        print(f"  {n:8d}  {short(path)}")
    print("By library:")
    for name, n in by_library.most_common():
        print(f"  {n:8d}  {name}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
