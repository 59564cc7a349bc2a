"""The release checker must refuse each way a release can come out wrong, and pass a right one."""

import hashlib
import struct
import tempfile
import sys
import unittest
import zipfile
from pathlib import Path

CHECKER = Path(__file__).resolve().parents[2] / "tools" / "release" / "check-release.py"
sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from load_tool import load_tool  # noqa: E402

check_release = load_tool("check_release", CHECKER)

VERSION = "1.2.3"
README = "\ufeffOrvantaBrevo 1.2.3\r\n【日本語】\r\n%LOCALAPPDATA%\\Programs\\OrvantaBrevo\r\n[English]\r\n"
LICENSE = "\ufeffMIT License\r\n\r\nCopyright (c) 2026 OrvantaBrevo\r\n"


def fake_exe(machine, version=VERSION, subsystem=2, extra=b""):
    """A PE header and the version strings laid out as a StringFileInfo block lays them out."""
    data = bytearray(256)
    data[0:2] = b"MZ"
    struct.pack_into("<I", data, 60, 64)
    data[64:68] = b"PE\0\0"
    struct.pack_into("<H", data, 68, machine)
    struct.pack_into("<H", data, 64 + 24 + 68, subsystem)
    strings = {"FileVersion": version, "ProductVersion": version, "ProductName": "OrvantaBrevo",
               "CompanyName": "OrvantaBrevo", "OriginalFilename": "OrvantaBrevo.exe",
               "LegalCopyright": "Copyright (C) 2026 OrvantaBrevo"}
    for key, value in strings.items():
        data += b"\0" * (-len(data) % 4) + b"\x40\0\x10\0\x01\0"  # wLength, wValueLength, wType
        data += key.encode("utf-16-le") + b"\0\0"
        data += b"\0" * (-len(data) % 4) + value.encode("utf-16-le") + b"\0\0"
    return bytes(data) + extra


class ReleaseCheckTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.folder = Path(self.tmp.name)
        self.make()

    def tearDown(self):
        self.tmp.cleanup()

    def make(self, zips=None, installer=None):
        contents = {"OrvantaBrevo.exe": None, "README.txt": README.encode(), "LICENSE.txt": LICENSE.encode()}
        for arch, machine in check_release.MACHINES.items():
            files = dict(contents, **{"OrvantaBrevo.exe": fake_exe(machine)})
            files.update((zips or {}).get(arch, {}))
            with zipfile.ZipFile(self.folder / f"OrvantaBrevo-{VERSION}-{arch}.zip", "w") as archive:
                for name, data in files.items():
                    if data is not None:
                        archive.writestr(name, data)
        setup = installer or fake_exe(0x14C, extra=b"NullsoftInst")
        (self.folder / f"OrvantaBrevo-{VERSION}-setup.exe").write_bytes(setup)
        self.write_sums(check_release.artefacts(VERSION))

    def write_sums(self, names):
        lines = [f"{hashlib.sha256((self.folder / n).read_bytes()).hexdigest()}  {n}\n" for n in names]
        (self.folder / "SHA256SUMS").write_text("".join(lines))

    def faults(self):
        return "\n".join(check_release.check_release(self.folder, VERSION))

    def test_a_right_release_passes(self):
        self.assertEqual(self.faults(), "")

    def test_sums_that_do_not_match_or_leave_out_a_file(self):
        with (self.folder / f"OrvantaBrevo-{VERSION}-x86.zip").open("ab") as late_change:
            late_change.write(b"\0")
        self.assertIn(f"the sum of OrvantaBrevo-{VERSION}-x86.zip does not match", self.faults())
        self.write_sums(check_release.artefacts(VERSION)[:2])
        self.assertIn("SHA256SUMS lists", self.faults())
        (self.folder / "SHA256SUMS").write_text("abc  OrvantaBrevo.zip\n")
        self.assertIn("SHA256SUMS:1: not 'SUM  NAME'", self.faults())
        (self.folder / "SHA256SUMS").unlink()
        self.assertIn("SHA256SUMS is missing", self.faults())

    def test_zip_contents(self):
        cases = {
            "no licence": ({"x64": {"LICENSE.txt": None}}, "holds"),
            "a stray file": ({"x86": {"OrvantaBrevo.ini": b"[x]"}}, "holds"),
            "an empty readme": ({"x64": {"README.txt": b""}}, "README.txt is empty"),
            "the other build": ({"x64": {"OrvantaBrevo.exe": fake_exe(0x14C)}}, "machine 0x014C, not x64"),
            "a console exe": ({"x86": {"OrvantaBrevo.exe": fake_exe(0x14C, subsystem=3)}}, "not the Windows GUI"),
            "an old version": ({"x86": {"OrvantaBrevo.exe": fake_exe(0x14C, "1.2.2")}},
                               "FileVersion is '1.2.2', not '1.2.3'"),
            "Unix lines": ({"x64": {"README.txt": README.replace("\r\n", "\n").encode()}}, "without CR LF"),
            "no mark": ({"x64": {"LICENSE.txt": LICENSE[1:].encode()}}, "no UTF-8 byte-order mark"),
            "English only": ({"x64": {"README.txt": README.replace("【日本語】", "").encode()}}, "'【日本語】'"),
        }
        for name, (zips, fragment) in cases.items():
            with self.subTest(name):
                self.make(zips=zips)
                self.assertIn(fragment, self.faults())

    def test_installer_and_missing_artefacts(self):
        self.make(installer=fake_exe(0x8664, extra=b"NullsoftInst"))
        self.assertIn("a 64-bit one does not start on 32-bit Windows", self.faults())
        self.make(installer=fake_exe(0x14C))
        self.assertIn("carries no NSIS installer data", self.faults())
        (self.folder / f"OrvantaBrevo-{VERSION}-x64.zip").unlink()
        self.assertEqual(self.faults(), f"OrvantaBrevo-{VERSION}-x64.zip is missing")


if __name__ == "__main__":
    unittest.main()
