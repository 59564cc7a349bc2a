"""A Wine run must fail in its first seconds, in one line naming the fix, on a machine that lacks
what it needs, and must not reuse a prefix that the installed Wine cannot start its exes in."""

import os
import re
import subprocess
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
LIB = ROOT / "tools" / "wine" / "lib.sh"
DEPS = ROOT / "tools" / "ci" / "deps.sh"

# What lib.sh runs at its top and in the functions tested, from the real machine.
BASE_TOOLS = ["date", "dirname", "sed", "grep", "cat", "pwd"]
WINE_TOOLS = ["wine", "wineserver", "Xvfb", "xdotool", "import", "convert", "identify",
              "x86_64-w64-mingw32-g++-posix", "i686-w64-mingw32-g++-posix"]


class Machine:
    """A PATH with only the named programs, a folder of Wine loaders and a font file."""

    def __init__(self, tmp, tools=WINE_TOOLS, loaders=("wine64", "wine"), font=True):
        self.bin = Path(tmp, "bin")
        self.loaders = Path(tmp, "loaders")
        self.prefix = Path(tmp, "prefix")
        self.font = Path(tmp, "ipag.ttf")
        for d in (self.bin, self.loaders, self.prefix):
            d.mkdir()
        for tool in BASE_TOOLS:
            real = subprocess.run(["bash", "-c", f"command -v {tool}"], capture_output=True,
                                  text=True).stdout.strip()
            if real.startswith("/"):
                (self.bin / tool).symlink_to(real)
        for tool in tools:
            self._executable(self.bin / tool)
        for loader in loaders:
            self._executable(self.loaders / loader)
        if font:
            self.font.write_bytes(b"")

    @staticmethod
    def _executable(path, body="exit 0"):
        path.write_text(f"#!/bin/sh\n{body}\n")
        path.chmod(0o755)

    def tool(self, name, body):
        """Replaces the named program with a script of `body`."""
        self._executable(self.bin / name, body)

    def prefix_made_as(self, arch):
        (self.prefix / "system.reg").write_text(f"WINE REGISTRY Version 2\n;; All keys relative to "
                                                f"\\\\Machine\n\n#arch={arch}\n")

    def run(self, script):
        env = {"PATH": str(self.bin), "ORVANTA_WINE_LOADERS": str(self.loaders),
               "ORVANTA_JAPANESE_FONT": str(self.font), "HOME": os.environ.get("HOME", "/")}
        return subprocess.run(["/bin/bash", "-c", f'source "{LIB}"; ORV_PREFIX="{self.prefix}"; {script}'],
                              env=env, capture_output=True, text=True, timeout=30)


class RequireTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def folder(self, name):
        path = Path(self.tmp.name, name)
        path.mkdir()
        return path

    def require(self, machine, *archs):
        return machine.run("orv_require " + " ".join(archs) + "; echo required")

    def assert_fails_naming(self, result, *names):
        self.assertNotEqual(result.returncode, 0, result.stdout)
        self.assertNotIn("required", result.stdout)
        lines = result.stderr.strip().splitlines()
        self.assertEqual(len(lines), 1, result.stderr)
        self.assertIn("tools/ci/deps.sh wine", lines[0])
        for name in names:
            self.assertIn(name, lines[0])

    def test_a_complete_machine_runs_both_architectures(self):
        result = self.require(Machine(self.tmp.name), "x64", "x86")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("required", result.stdout)

    def test_the_loader_of_each_architecture_is_asked_for_by_its_package(self):
        only_32 = Machine(self.folder("a"), loaders=("wine",))
        self.assert_fails_naming(self.require(only_32, "x64", "x86"), "64-bit Wine loader", "(wine64)")
        self.assertEqual(self.require(only_32, "x86").returncode, 0)

        only_64 = Machine(self.folder("b"), loaders=("wine64",))
        self.assert_fails_naming(self.require(only_64, "x86"), "32-bit Wine loader", "(wine32:i386)")
        self.assertEqual(self.require(only_64, "x64").returncode, 0)

    def test_every_missing_tool_is_named_in_the_one_line(self):
        bare = Machine(self.tmp.name, tools=["wine", "wineserver", "import", "convert", "identify"], font=False)
        self.assert_fails_naming(self.require(bare, "x64"), "Xvfb (xvfb)", "xdotool (xdotool)",
                                 "(fonts-ipafont-gothic)", "(mingw-w64)")

    def test_each_package_the_fixes_name_is_one_that_deps_installs(self):
        nothing = Machine(self.tmp.name, tools=[], loaders=(), font=False)
        line = self.require(nothing, "x64", "x86").stderr
        named = set(re.findall(r"\(([^()]+)\)", line))
        listed = subprocess.run(["bash", str(DEPS), "--print", "wine", "windows"], capture_output=True,
                                text=True, check=True).stdout.split()
        self.assertGreaterEqual(len(named), 7, line)
        self.assertLessEqual(named, set(listed), line)


class CutTest(unittest.TestCase):
    """The README's pictures are cut round a menu or a dialog: the margin stays on the screen."""

    def test_a_cut_past_the_screen_edges_is_clipped_to_the_screen(self):
        with tempfile.TemporaryDirectory() as tmp:
            machine = Machine(tmp)
            machine.tool("identify", "echo 1024 768")
            args = Path(tmp, "convert-args")
            machine.tool("convert", f'echo "$@" >"{args}"')
            cases = {
                # a menu at the bottom right corner, with a margin of 4
                "1000 700 1024 768 4": "-crop 28x72+996+696",
                # a window hanging off the top left corner
                "-10 -5 100 50 2": "-crop 102x52+0+0",
                # well inside: the margin all round
                "100 100 200 150 3": "-crop 106x56+97+97",
            }
            for rect, crop in cases.items():
                result = machine.run(f'ORV_LAST_SHOT=shot.png ORV_OUT="{tmp}"; orv_cut pic {rect}')
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertIn(crop + " ", args.read_text(), rect)


class PrefixKindTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def kind_ok(self, machine):
        return machine.run("orv_prefix_kind_ok && echo reuse || echo remake").stdout.strip()

    def test_a_32_bit_only_prefix_is_made_again_where_wine_runs_x64(self):
        both = Machine(self.tmp.name)
        both.prefix_made_as("win32")
        self.assertEqual(self.kind_ok(both), "remake")
        both.prefix_made_as("win64")
        self.assertEqual(self.kind_ok(both), "reuse")

    def test_a_prefix_without_a_readable_kind_is_not_reused(self):
        self.assertEqual(self.kind_ok(Machine(self.tmp.name)), "remake")

    def test_a_32_bit_wine_keeps_its_own_prefix(self):
        only_32 = Machine(self.tmp.name, loaders=("wine",))
        only_32.prefix_made_as("win32")
        self.assertEqual(self.kind_ok(only_32), "reuse")


if __name__ == "__main__":
    unittest.main()
