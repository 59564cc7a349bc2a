"""The generator's own rules: what it refuses, how it says so, and how it writes."""

import os
import subprocess
import sys
import tempfile
import textwrap
import unittest
from pathlib import Path

RESGEN = Path(__file__).resolve().parents[2] / "tools" / "resgen" / "resgen.py"
sys.path.insert(0, str(RESGEN.parent))

import iconsizes  # noqa: E402
import pixelart  # noqa: E402
import rcfile  # noqa: E402
import resgen  # noqa: E402
import winformats  # noqa: E402
from pixelart import SourceError  # noqa: E402

ICON = """\
bits: 4
legend:
  . transparent
  K 000000
image 2x2:
  K.
  .K
"""

CURSOR = """\
bits: 1
hotspot: 1,0
legend:
  W ffffff
  x invert
image 2x1:
  Wx
"""


def source(text):
    return textwrap.dedent(text)


def square_icon(*sizes):
    """An icon source that draws a diagonal at each size."""
    text = "bits: 4\nlegend:\n  . transparent\n  K 000000\n"
    for n in sizes:
        text += f"image {n}x{n}:\n" + "".join("  " + "." * i + "K" + "." * (n - i - 1) + "\n" for i in range(n))
    return text


class IconSizesTest(unittest.TestCase):
    def test_each_missing_size_is_a_whole_multiple_of_the_largest_drawn_divisor(self):
        art = iconsizes.complete(pixelart.parse(square_icon(16, 20, 24), "art.txt", "ICON"))
        self.assertEqual([g.width for g in art.grids], [16, 20, 24, 32, 40, 48])
        big = art.grids[-1]
        # 48 comes from 24 (two by two), not from 16: its diagonal steps two pixels at a time.
        self.assertEqual(big.rows[0], "KK" + "." * 46)
        self.assertEqual(big.rows[1], "KK" + "." * 46)
        self.assertEqual(big.rows[2], ".." + "KK" + "." * 44)
        self.assertEqual(art.grids[4].rows[39], "." * 38 + "KK")

    def test_a_size_no_drawn_one_divides_must_be_drawn(self):
        with self.assertRaises(SourceError) as caught:
            iconsizes.complete(pixelart.parse(square_icon(16, 24), "art.txt", "ICON"))
        self.assertIn("20x20", str(caught.exception))
        self.assertTrue(str(caught.exception).startswith("art.txt"))

    def test_a_drawn_size_is_kept_as_drawn(self):
        art = iconsizes.complete(pixelart.parse(square_icon(16, 20, 24, 32), "art.txt", "ICON"))
        self.assertEqual([g.width for g in art.grids], [16, 20, 24, 32, 40, 48])
        self.assertEqual(art.grids[3].rows[1], ".K" + "." * 30, "the drawn 32 is not 16 doubled")


class SourceErrorsTest(unittest.TestCase):
    def assertRefused(self, kind, text, *fragments):
        with self.assertRaises(SourceError) as caught:
            pixelart.parse(text, "art.txt", kind)
        message = str(caught.exception)
        self.assertTrue(message.startswith("art.txt"), message)
        for fragment in fragments:
            self.assertIn(fragment, message)

    def test_grid_mistakes_name_the_line(self):
        cases = {
            "short row": (ICON.replace("  .K\n", "  .\n"), "art.txt:7:", "row 2 has 1 pixels, expected 2"),
            "unknown key": (ICON.replace("  .K\n", "  .Z\n"), "art.txt:7:", "'Z' is not in the legend"),
            "grid cut off": (ICON.replace("  .K\n", ""), "art.txt:5:", "ends after 1 of 2 rows"),
            "blank row": (ICON.replace("  .K\n", "\n  .K\n"), "art.txt:7:", "row 2 of image 2x2 is missing"),
            "two of a size": (ICON + "image 2x2:\n  ..\n  KK\n", "art.txt:8:", "a second image of size 2x2"),
            "text after grid": (ICON + "bits: 8\n", "art.txt:8:", "unexpected text after an image"),
            "no image": (ICON.split("image")[0], "no image"),
        }
        for name, (text, *fragments) in cases.items():
            with self.subTest(name):
                self.assertRefused("ICON", text, *fragments)

    def test_legend_and_header_mistakes(self):
        cases = {
            "bad colour": ("ICON", ICON.replace("000000", "00000g"), "art.txt:4:", "neither six hex digits"),
            "long key": ("ICON", ICON.replace("  K 000000", "  KK 000000"), "single character"),
            "key twice": ("ICON", ICON.replace("  K 000000", "  K 000000\n  K ffffff"), "given twice"),
            "unused key": ("ICON", ICON.replace("  K 000000", "  K 000000\n  r ff0000"), "not used", "r"),
            "missing bits": ("ICON", ICON.replace("bits: 4\n", ""), "'bits' is missing"),
            "odd bits": ("ICON", ICON.replace("bits: 4", "bits: 3"), "not '3'"),
            "unknown header": ("ICON", "size: 3\n" + ICON, "unknown header 'size'"),
            "transparent bitmap": ("BITMAP", ICON, "a bitmap cannot be transparent"),
            "inverting icon": ("ICON", ICON.replace("transparent", "invert"), "only a cursor can invert"),
            "icon hot spot": ("ICON", "hotspot: 0,0\n" + ICON, "only a cursor has a hot spot"),
        }
        for name, (kind, text, *fragments) in cases.items():
            with self.subTest(name):
                self.assertRefused(kind, text, *fragments)

    def test_cursor_rules(self):
        cases = {
            "no hot spot": (CURSOR.replace("hotspot: 1,0\n", ""), "needs the header 'hotspot"),
            "hot spot outside": (CURSOR.replace("1,0", "2,0"), "hot spot 2,0 lies outside the 2x1 image"),
            "hot spot garbled": (CURSOR.replace("1,0", "1;0"), "is not 'X,Y'"),
            "colour": (CURSOR.replace("ffffff", "ff0000"), "only black and white"),
            "deep": (CURSOR.replace("bits: 1", "bits: 4"), "a cursor has 1 bits per pixel"),
            "two images": (CURSOR + "image 1x1:\n  W\n", "exactly one image, not 2"),
        }
        for name, (text, *fragments) in cases.items():
            with self.subTest(name):
                self.assertRefused("CURSOR", text, *fragments)

    def test_too_many_colours_counts_the_black_an_icon_keeps(self):
        text = "bits: 1\nlegend:\n  a 111111\n  b 222222\nimage 2x1:\n  ab\n"
        self.assertRefused("ICON", text, "3 colours do not fit in 1 bits per pixel")
        self.assertEqual(pixelart.parse(text, "art.txt", "BITMAP").palette(), [(0x11,) * 3, (0x22,) * 3])


class EncodingTest(unittest.TestCase):
    def test_transparent_pixels_draw_black_under_a_set_mask(self):
        art = pixelart.parse(source(ICON).replace("000000", "ffffff"), "a", "ICON")
        self.assertEqual(art.palette()[:2], [(0, 0, 0), (255, 255, 255)])
        data = winformats.encode(art)
        plane = 6 + 16 + 40 + 16 * 4
        # Bottom-up rows of 4 bytes: ".K" then "K.".
        self.assertEqual(data[plane : plane + 8], bytes([0x01, 0, 0, 0, 0x10, 0, 0, 0]))
        self.assertEqual(data[plane + 8 : plane + 16], bytes([0x80, 0, 0, 0, 0x40, 0, 0, 0]))

    def test_cursor_entry_carries_the_hot_spot_and_invert_sets_both_planes(self):
        data = winformats.encode(pixelart.parse(CURSOR, "c", "CURSOR"))
        self.assertEqual(data[:6], bytes([0, 0, 2, 0, 1, 0]))
        self.assertEqual(data[10:14], bytes([1, 0, 0, 0]))  # hot spot 1,0
        plane = 6 + 16 + 40 + 8
        self.assertEqual(data[plane], 0b11000000)  # white and inverted both draw index 1
        self.assertEqual(data[plane + 4], 0b01000000)  # only the inverted pixel is masked


VERSION_STRINGS = "".join(f"{key}: X\n" for key in rcfile.REQUIRED_STRINGS)


def write_sources(root, index, files):
    # The hand-written manifest sits beside the sources' folder, as in resources/.
    (root.parent / "OrvantaBrevo.manifest").write_text("<assembly>\n  <!-- note -->\n  <a x='1'/>\n</assembly>\n")
    (root / "index.txt").write_text(index)
    (root / "version.txt").write_text("version: 1.2.3\n" + VERSION_STRINGS)
    for name, text in files.items():
        (root / name).write_text(text)


class RunTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.src = Path(self.tmp.name) / "src"
        self.out = Path(self.tmp.name) / "out"
        self.src.mkdir()

    def tearDown(self):
        self.tmp.cleanup()

    def run_resgen(self):
        return subprocess.run([sys.executable, str(RESGEN), "--src", str(self.src), "--out", str(self.out)],
                              capture_output=True, text=True)

    def test_a_bad_source_fails_the_run_and_writes_nothing(self):
        write_sources(self.src, "ICON A a.txt\n", {"a.txt": ICON.replace("  .K\n", "  .Q\n")})
        result = self.run_resgen()
        self.assertEqual(result.returncode, 1)
        self.assertIn("resgen: error:", result.stderr)
        self.assertIn("a.txt:7: pixel 'Q' is not in the legend", result.stderr)
        self.assertFalse(self.out.exists())

    def test_index_mistakes(self):
        one, two = {"a.txt": ICON}, {"a.txt": ICON, "b.txt": ICON}
        cases = {
            "duplicate": ("ICON A a.txt\nICON A a.txt\n", one, "A is listed twice (first on line 1)"),
            "lower case": ("ICON a a.txt\n", one, "name 'a' is not upper-case"),
            "kind": ("MENU A a.txt\n", one, "kind 'MENU' is not one of"),
            "fields": ("ICON A\n", one, "expected 'KIND NAME SOURCE'"),
            "stray": ("ICON A a.txt\n", two, "sources not listed: b.txt"),
            "missing": ("ICON A c.txt\n", {}, "c.txt: cannot read"),
            "empty": ("# nothing\n", {}, "lists no resource"),
        }
        for name, (index, files, fragment) in cases.items():
            with self.subTest(name):
                write_sources(self.src, index, files)
                with self.assertRaises(SourceError) as caught:
                    resgen.build(self.src)
                self.assertIn(fragment, str(caught.exception))
                for f in self.src.iterdir():
                    f.unlink()

    def test_rewrites_only_what_changed_and_drops_stale_files(self):
        write_sources(self.src, "ICON A a.txt\nCURSOR B b.txt\n", {"a.txt": ICON, "b.txt": CURSOR})
        self.assertEqual(self.run_resgen().returncode, 0)
        kept = self.out / "generated" / "a.ico"
        os.utime(kept, (1_000_000, 1_000_000))
        (self.out / "generated" / "old.ico").write_bytes(b"x")
        (self.src / "index.txt").write_text("ICON A a.txt\n")
        (self.src / "b.txt").unlink()
        self.assertEqual(self.run_resgen().returncode, 0)
        self.assertEqual(kept.stat().st_mtime, 1_000_000)
        self.assertEqual(sorted(p.name for p in (self.out / "generated").iterdir()),
                         ["a.ico", "orvantabrevo.manifest", "resource_images.inc", "resource_index.inc"])
        self.assertEqual((self.out / "generated" / "orvantabrevo.manifest").read_text(),
                         "<assembly><a x='1'/></assembly>\n")
        self.assertNotIn("HAND", (self.out / "OrvantaBrevo.rc").read_text())

    def test_print_version_prints_only_the_checked_version_and_writes_nothing(self):
        write_sources(self.src, "ICON A a.txt\n", {"a.txt": ICON})
        result = subprocess.run([sys.executable, str(RESGEN), "--src", str(self.src), "--out", str(self.out),
                                 "--print-version"], capture_output=True, text=True)
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, "1.2.3\n", ""))
        self.assertFalse(self.out.exists())
        # The release scripts must not go on with a version the resource would refuse.
        (self.src / "version.txt").write_text("version: 1.x\n" + VERSION_STRINGS)
        result = subprocess.run([sys.executable, str(RESGEN), "--src", str(self.src), "--print-version"],
                                capture_output=True, text=True)
        self.assertEqual((result.returncode, result.stdout), (1, ""))
        self.assertIn("not up to four numbers", result.stderr)


class VersionTest(unittest.TestCase):
    def test_version_settings(self):
        version, language, strings = rcfile.parse_version("version: 2.5\nlanguage: 0409\n" + VERSION_STRINGS, "v")
        self.assertEqual((version, language), ("2.5", 0x409))
        self.assertEqual(sorted(strings), [(key, "X") for key in sorted(rcfile.REQUIRED_STRINGS)])
        script = rcfile.resource_script([("ICON", "A", "a.ico")], (version, language, strings), "m")
        self.assertIn("FILEVERSION 2,5,0,0", script)
        self.assertIn('BLOCK "040904B0"', script)
        self.assertIn('VALUE "Translation", 0x0409, 1200', script)

    def test_version_mistakes(self):
        cases = {
            "missing": (VERSION_STRINGS, "'version' is missing"),
            "too big": ("version: 1.70000\n", "not up to four numbers"),
            "five parts": ("version: 1.2.3.4.5\n", "not up to four numbers"),
            "quote": ('version: 1\nProductName: a"b\n', "printable ASCII"),
            "derived": ("version: 1\nFileVersion: 2\n", "follows from 'version'"),
            "unknown": ("version: 1\ncolour: red\n", "unknown setting 'colour'"),
            "no company": ("version: 1\n" + VERSION_STRINGS.replace("CompanyName: X\n", ""), "missing CompanyName"),
            "no copyright or name": (
                "version: 1\n" + VERSION_STRINGS.replace("LegalCopyright: X\n", "").replace("ProductName: X\n", ""),
                "missing LegalCopyright, ProductName"),
        }
        for name, (text, fragment) in cases.items():
            with self.subTest(name):
                with self.assertRaises(SourceError) as caught:
                    rcfile.parse_version(text, "v")
                self.assertIn(fragment, str(caught.exception))


if __name__ == "__main__":
    unittest.main()
