#!/usr/bin/env python3
"""Holds a Windows build to rebuilding its resources when an image changes.

usage: check-rebuild.py BUILD_DIR

windres tells the build nothing of the files a resource script pulls in, so each must be named to
the build by hand; one left out keeps its old picture in the exe of an incremental build. For
every file resources/OrvantaBrevo.rc names, asks make what it would do were that file new
(make -n -W FILE) and fails naming each one after which the script would not be compiled again.
The build must be up to date first: otherwise every answer would be "compile" and prove nothing.
"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "resources", "OrvantaBrevo.rc")
RULES = "src/app/CMakeFiles/OrvantaBrevo.dir/build.make"
TARGET = "src/app/CMakeFiles/OrvantaBrevo.dir/__/__/resources/OrvantaBrevo.rc.res"


def inputs():
    """The files the script names, as absolute paths."""
    with open(SCRIPT, encoding="utf-8") as f:
        names = re.findall(r'"(generated/[^"]+)"', f.read())
    return [os.path.join(ROOT, "resources", name) for name in names]


def compiles(build_dir, newer=None):
    """Whether make would run windres on the script (were `newer` a new file)."""
    command = ["make", "-n", "-f", RULES, TARGET]
    if newer:
        command[1:1] = ["-W", newer]
    run = subprocess.run(command, cwd=build_dir, capture_output=True, text=True, check=False)
    if run.returncode != 0:
        sys.exit(f"check-rebuild: {' '.join(command)} failed in {build_dir}:\n{run.stderr}")
    return "windres" in run.stdout


def main(argv):
    if len(argv) != 1:
        sys.exit(__doc__)
    build_dir = argv[0]
    if not os.path.isfile(os.path.join(build_dir, RULES)):
        sys.exit(f"check-rebuild: {build_dir} is not a configured Windows build (no {RULES})")
    files = inputs()
    if not files:
        sys.exit(f"check-rebuild: {SCRIPT} names no generated file")
    if compiles(build_dir):
        sys.exit(f"check-rebuild: the resources of {build_dir} are not built yet; build first")
    missed = [f for f in files if not compiles(build_dir, f)]
    if missed:
        print(f"check-rebuild: {build_dir}: a change to these would not compile the resources again:")
        for f in missed:
            print(f"  {os.path.relpath(f, ROOT)}")
        return 1
    print(f"check-rebuild: {build_dir}: each of the {len(files)} files the script names rebuilds it")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
