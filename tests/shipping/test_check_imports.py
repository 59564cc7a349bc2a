"""The import check must name every import an old Windows cannot load, and pass the others."""

import tempfile
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from load_tool import load_tool  # noqa: E402

check_imports = load_tool("check_imports", ROOT / "tools" / "imports" / "check-imports.py")

# An excerpt of `objdump -p` as binutils prints a PE file's import tables.
LISTING = """
The Import Tables (interpreted .idata section contents)
 vma:            Hint    Time      Forward  DLL       First
                 Table   Stamp     Chain    Name      Thunk
 00048000\t000480b8 00000000 00000000 00049690 00048648

\tDLL Name: KERNEL32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t48bd8\t  141  CloseHandle
\t48bf0\t 1431  GetTickCount64

 00048014\t000480d8 00000000 00000000 000496a4 00048668

\tDLL Name: USER32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t48c08\t   12  AppendMenuA
"""

TABLE = {
    ("kernel32.dll", "CloseHandle"): ("95", (3, 1)),
    ("kernel32.dll", "GetTickCount64"): (None, (6, 0)),
    ("kernel32.dll", "RtlVirtualUnwind"): (None, (5, 2)),
    ("comctl32.dll", "InitCommonControlsEx"): ("98", (5, 0)),
    ("shell32.dll", "Shell_NotifyIconA"): ("95", (4, 0)),
    ("user32.dll", "LaterOnMe"): ("ME", (4, 0)),
}


class ImportCheck(unittest.TestCase):
    def test_reads_each_dll_and_function_of_the_listing(self):
        self.assertEqual(check_imports.parse_imports(LISTING),
                         [("kernel32.dll", "CloseHandle"), ("kernel32.dll", "GetTickCount64"),
                          ("user32.dll", "AppendMenuA")])

    def test_names_what_the_oldest_windows_lacks(self):
        cases = [
            # (architecture, import, the problems expected, by what they must say)
            ("x86", ("kernel32.dll", "CloseHandle"), []),
            ("x86", ("shell32.dll", "Shell_NotifyIconA"), []),
            ("x64", ("kernel32.dll", "RtlVirtualUnwind"), []),
            ("x86", ("kernel32.dll", "RtlVirtualUnwind"),
             ["first in Windows XP x64 / Server 2003, newer than NT 4.0",
              "not exported by any Windows 9x"]),
            ("x86", ("kernel32.dll", "GetTickCount64"),
             ["first in Windows Vista, newer than NT 4.0", "not exported by any Windows 9x"]),
            ("x64", ("kernel32.dll", "GetTickCount64"), ["first in Windows Vista"]),
            ("x86", ("comctl32.dll", "InitCommonControlsEx"),
             ["first in Windows 2000, newer than NT 4.0"]),
            ("x86", ("user32.dll", "LaterOnMe"), ["first in Windows ME, newer than Windows 98"]),
            ("x64", ("user32.dll", "LaterOnMe"), []),
            ("x64", ("user32.dll", "NotListed"), ["not in the table of allowed imports"]),
        ]
        for arch, imported, expected in cases:
            with self.subTest(arch=arch, function=imported[1]):
                found = check_imports.problems([imported], TABLE, arch)
                self.assertEqual(len(found), len(expected), found)
                for line, words in zip(found, expected):
                    self.assertTrue(line.startswith(f"{imported[1]} ({imported[0]}): "), line)
                    self.assertIn(words, line)

    def test_a_failing_9x_stub_needs_a_fallback_in_the_x86_exe(self):
        table = {("kernel32.dll", "GetModuleHandleW"): ("95", (3, 1)),
                 ("user32.dll", "SetWindowTextW"): ("95", (3, 1))}
        stubs = {("kernel32.dll", "GetModuleHandleW"): None,
                 ("user32.dll", "SetWindowTextW"): "ansi"}
        no_fallback = [("kernel32.dll", "GetModuleHandleW")]
        found = check_imports.problems(no_fallback, table, "x86", stubs)
        self.assertEqual(len(found), 1, found)
        self.assertIn("GetModuleHandleW (kernel32.dll): a stub that fails on Windows 9x", found[0])
        self.assertIn("without a fallback", found[0])
        self.assertEqual(check_imports.problems(no_fallback, table, "x64", stubs), [])
        self.assertEqual(
            check_imports.problems([("user32.dll", "SetWindowTextW")], table, "x86", stubs), [])

    def test_the_stub_list_holds_every_stub_the_table_names(self):
        stubs = check_imports.read_stubs(ROOT / "tools" / "imports" / "win9x-stubs.txt")
        self.assertIsNone(stubs[("kernel32.dll", "LoadLibraryW")])
        self.assertEqual(stubs[("kernel32.dll", "CreateSemaphoreW")], "bound")
        # The table's own notes and the list agree.
        table_text = (ROOT / "tools" / "imports" / "windows-imports.txt").read_text(encoding="utf-8")
        for line in table_text.splitlines():
            if "# stub on 9x" in line:
                dll, function = line.split()[:2]
                self.assertIn((dll.lower(), function), stubs, line)

    def test_the_repository_table_reads(self):
        table = check_imports.read_table(ROOT / "tools" / "imports" / "windows-imports.txt")
        self.assertEqual(table[("user32.dll", "DrawEdge")], ("95", (4, 0)))
        self.assertEqual(table[("kernel32.dll", "__C_specific_handler")], (None, (5, 2)))

    def test_each_list_refuses_a_function_listed_twice_and_a_line_of_another_shape(self):
        cases = [
            # (reader, a line it takes, the same function again, a line with a field missing)
            (check_imports.read_table, "user32.dll  SetTimer  95  3.1  # a comment",
             "USER32.dll  SetTimer  95  3.1", "user32.dll  KillTimer  95"),
            (check_imports.read_stubs, "user32.dll  SetWindowTextW  ansi",
             "USER32.dll  SetWindowTextW  -", "user32.dll  SetWindowTextA"),
        ]
        for reader, line, again, short in cases:
            with self.subTest(reader=reader.__name__), tempfile.TemporaryDirectory() as folder:
                listing = Path(folder) / "list.txt"
                listing.write_text(f"# heading\n\n{line}\n{again}\n")
                with self.assertRaises(SystemExit, msg=f"{reader.__name__}: twice") as refused:
                    reader(listing)
                self.assertIn(f"{listing}:4: ", str(refused.exception))
                self.assertIn("listed twice", str(refused.exception))
                listing.write_text(f"{line}\n{short}\n")
                with self.assertRaises(SystemExit, msg=f"{reader.__name__}: short") as refused:
                    reader(listing)
                self.assertIn(f"{listing}:2: want DLL FUNCTION ", str(refused.exception))
                listing.write_text(f"# heading\n{line}\n\n")
                self.assertEqual(len(reader(listing)), 1, reader.__name__)

if __name__ == "__main__":
    unittest.main()
