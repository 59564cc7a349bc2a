"""The size check must pass an exe within its budget, and over it name what takes the room."""

import contextlib
import io
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from load_tool import load_tool  # noqa: E402

check_size = load_tool("check_size", ROOT / "tools" / "size" / "check-size.py")

# A link map as GNU ld writes it for a PE file: an input section on one line, or its name alone
# when long and the address, size and file on the next; .bss and debug sections take no room.
MAP = """Archive member included to satisfy reference by file (symbol)

/lib/libstdc++.a(cp-demangle.o)  /lib/libstdc++.a(vterminate.o) (__cxa_demangle)

Linker script and memory map

.text           0x0000000140001000    0x3de00
 *(.text)
 .text          0x0000000140001000      0x510 /lib/crt2.o
                0x00000001400014b0                WinMainCRTStartup
 .text$_ZN3vcl12TApplication3RunEv
                0x0000000140002000      0x200 CMakeFiles/toolkit.dir/Forms.cpp.obj
 .text          0x0000000140003000     0x9000 /usr/lib/gcc/libstdc++.a(cp-demangle.o)
.rdata          0x0000000140040000     0xbe00
 .rdata         0x0000000140040000      0x100 CMakeFiles/toolkit.dir/Forms.cpp.obj
.bss            0x0000000140059000      0xb90
 .bss           0x0000000140059000      0x800 /usr/lib/gcc/libstdc++.a(eh_alloc.o)
.debug_info
 .debug_info    0x0000000000000000     0x4000 /usr/lib/gcc/libstdc++.a(eh_alloc.o)
"""


class SizeCheck(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.map = Path(self.folder.name) / "app.map"
        self.map.write_text(MAP)
        self.exe = Path(self.folder.name) / "app.exe"
        self.exe.write_bytes(b"\0" * 3000)

    def tearDown(self):
        self.folder.cleanup()

    def run_check(self, budget_kb):
        out = io.StringIO()
        argv = sys.argv
        sys.argv = ["check-size.py", str(self.exe), str(self.map), str(budget_kb)]
        try:
            with contextlib.redirect_stdout(out):
                status = check_size.main()
        finally:
            sys.argv = argv
        return status, out.getvalue()

    def test_sums_what_each_input_file_puts_into_the_file(self):
        sizes = check_size.contributors(self.map)
        self.assertEqual(sizes["/usr/lib/gcc/libstdc++.a(cp-demangle.o)"], 0x9000)
        self.assertEqual(sizes["CMakeFiles/toolkit.dir/Forms.cpp.obj"], 0x300)
        self.assertEqual(sizes["/lib/crt2.o"], 0x510)
        self.assertNotIn("/usr/lib/gcc/libstdc++.a(eh_alloc.o)", sizes)

    def test_within_the_budget_passes_quietly_over_it_names_the_largest_first(self):
        status, out = self.run_check(3)
        self.assertEqual(status, 0)
        self.assertIn("3000 bytes", out)
        self.assertNotIn("contributors", out)
        status, out = self.run_check(2)
        self.assertEqual(status, 1)
        self.assertIn("OVER the budget of 2 KB", out)
        lines = out.splitlines()
        first = lines.index("Largest contributors (bytes in code and data, from the link map):")
        self.assertIn("libstdc++.a(cp-demangle.o)", lines[first + 1])
        self.assertIn("36864", lines[first + 1])
        self.assertIn("toolkit.dir/Forms.cpp.obj", out)


if __name__ == "__main__":
    unittest.main()
