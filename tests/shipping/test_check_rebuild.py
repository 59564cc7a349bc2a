"""The resource rebuild check must name each file whose change the build would not notice."""

import contextlib
import io
import os
import sys
import tempfile
import unittest
from unittest import mock
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from load_tool import load_tool  # noqa: E402

check_rebuild = load_tool("check_rebuild", ROOT / "tools" / "resgen" / "check-rebuild.py")

SCRIPT = '''STOP ICON "generated/stop.ico"
CL_MPPLAY BITMAP "generated/cl_mpplay.bmp"
1 24 "generated/orvantabrevo.manifest"
'''
NAMES = ["stop.ico", "cl_mpplay.bmp", "orvantabrevo.manifest"]


class CheckRebuild(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.root = Path(folder.name)
        generated = self.root / "resources" / "generated"
        generated.mkdir(parents=True)
        (self.root / "resources" / "OrvantaBrevo.rc").write_text(SCRIPT)
        for name in NAMES:
            (generated / name).write_bytes(b"")
        self.build = self.root / "build"
        for name, value in (("ROOT", str(self.root)),
                            ("SCRIPT", str(self.root / "resources" / "OrvantaBrevo.rc"))):
            patcher = mock.patch.object(check_rebuild, name, value)
            patcher.start()
            self.addCleanup(patcher.stop)

    def rules(self, named, built=True):
        """A build whose script rule depends on the files `named`, compiled after them or not."""
        rules = self.build / check_rebuild.RULES
        rules.parent.mkdir(parents=True, exist_ok=True)
        prerequisites = " ".join(str(self.root / "resources" / "generated" / n) for n in named)
        rules.write_text(f"{check_rebuild.TARGET}: {prerequisites}\n\twindres -O coff script\n")
        target = self.build / check_rebuild.TARGET
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(b"")
        stamp = 2_000_000_000 if built else 1_000_000_000
        os.utime(target, (stamp, stamp))
        for name in NAMES:
            os.utime(self.root / "resources" / "generated" / name, (1_500_000_000,) * 2)

    def run_check(self):
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            status = check_rebuild.main([str(self.build)])
        return status, out.getvalue()

    def test_every_file_named_passes_and_a_missing_one_is_named(self):
        self.rules(NAMES)
        status, out = self.run_check()
        self.assertEqual(status, 0, out)
        self.assertIn("each of the 3 files", out)

        self.rules(["orvantabrevo.manifest", "cl_mpplay.bmp"])
        status, out = self.run_check()
        self.assertEqual(status, 1)
        self.assertIn("resources/generated/stop.ico", out)
        self.assertNotIn("cl_mpplay.bmp", out)

    def test_a_build_that_proves_nothing_is_refused(self):
        # Out of date: every answer would be "compile".
        self.rules(["stop.ico"], built=False)
        with self.assertRaisesRegex(SystemExit, "not built yet"):
            self.run_check()
        # Not configured at all.
        (self.build / check_rebuild.RULES).unlink()
        with self.assertRaisesRegex(SystemExit, "not a configured Windows build"):
            self.run_check()


if __name__ == "__main__":
    unittest.main()
