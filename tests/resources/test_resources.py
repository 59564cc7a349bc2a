"""Checks the committed resources against their sources and against what Windows expects.

The decoder here is written apart from the generator's encoder, so a packing or ordering
mistake in one shows up as a difference instead of cancelling itself out."""

import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path
from xml.etree import ElementTree

REPO = Path(__file__).resolve().parents[2]
RES = REPO / "resources"
RESGEN = REPO / "tools" / "resgen" / "resgen.py"
sys.path.insert(0, str(RESGEN.parent))

import iconsizes  # noqa: E402
import pixelart  # noqa: E402
import resgen  # noqa: E402

STATES = ("EN", "DI", "CL")
BUTTONS = ("MPPLAY", "MPPAUSE", "MPSTOP", "MPNEXT", "MPPREV", "MPSTEP", "MPBACK", "MPRECORD", "MPEJECT")
TRAY = ("ZCD", "NOCD", "STOP", "PLAY", "PAUSE")
EXTENSION = {"ICON": ".ico", "CURSOR": ".cur", "BITMAP": ".bmp"}


def decode_dib(data, width, height, bits, has_mask):
    """[(rgb or None for a masked pixel)] rows, top first, from a BITMAPINFOHEADER image."""
    size, w, h, planes, bitcount = struct.unpack_from("<IiiHH", data)
    assert (size, w, h, planes, bitcount) == (40, width, height * (2 if has_mask else 1), 1, bits), (w, h, bitcount)
    table = [struct.unpack_from("<BBB", data, 40 + 4 * i)[::-1] for i in range(1 << bits)]
    plane = 40 + 4 * (1 << bits)
    stride = ((width * bits + 31) // 32) * 4
    mask_stride = ((width + 31) // 32) * 4
    mask_at = plane + stride * height
    expected_end = mask_at + (mask_stride * height if has_mask else 0)
    assert len(data) == expected_end, (len(data), expected_end)
    rows = []
    for y in range(height):
        src = height - 1 - y
        row = []
        for x in range(width):
            byte = data[plane + src * stride + x * bits // 8]
            index = (byte >> (8 - bits - (x * bits) % 8)) & ((1 << bits) - 1)
            masked = has_mask and (data[mask_at + src * mask_stride + x // 8] >> (7 - x % 8)) & 1
            row.append(("screen", index) if masked else table[index])
        rows.append(row)
    return rows


def read_group(path):
    """(type, [(width, height, field1, field2, image bytes)]) of an .ico or .cur file."""
    data = path.read_bytes()
    reserved, kind, count = struct.unpack_from("<HHH", data)
    assert reserved == 0
    entries, end = [], 6 + 16 * count
    for i in range(count):
        w, h, colours, zero, f1, f2, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        assert zero == 0 and offset == end, (path, offset, end)
        entries.append((w or 256, h or 256, f1, f2, data[offset : offset + size]))
        end = offset + size
    assert end == len(data), f"{path}: {len(data) - end} stray bytes"
    return kind, entries


def expected_pixels(art, grid):
    def value(v):
        if v == pixelart.TRANSPARENT:
            return ("screen", 0)  # AND set, XOR black: the screen stays
        if v == pixelart.INVERT:
            return ("screen", 1)  # AND set, XOR white: the screen inverts
        return v

    return [[value(art.pixel(grid, x, y)) for x in range(grid.width)] for y in range(grid.height)]


class GeneratedFilesTest(unittest.TestCase):
    def test_regeneration_gives_the_committed_bytes(self):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, str(RESGEN), "--out", tmp], check=True)
            fresh = {p.relative_to(tmp).as_posix() for p in Path(tmp).rglob("*") if p.is_file()}
            committed = {f"generated/{p.name}" for p in (RES / "generated").iterdir()} | {"OrvantaBrevo.rc"}
            self.assertEqual(fresh, committed, "files missing from or left over in resources/")
            for name in sorted(fresh):
                with self.subTest(file=name):
                    self.assertEqual((Path(tmp) / name).read_bytes(), (RES / name).read_bytes(),
                                     "out of date: run python3 tools/resgen/resgen.py")

    def test_every_image_decodes_to_its_source(self):
        for kind, name, source in resgen.read_index(RES / "src"):
            art = pixelart.parse(source.read_text(), str(source), kind)
            if kind == "ICON":
                iconsizes.complete(art)
            path = RES / "generated" / f"{name.lower()}{EXTENSION[kind]}"
            with self.subTest(resource=name):
                if kind == "BITMAP":
                    data = path.read_bytes()
                    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data)
                    self.assertEqual((magic, size), (b"BM", len(data)))
                    self.assertEqual(offset, 14 + 40 + 4 * (1 << art.bits))
                    images = [(art.grids[0], data[14:])]
                else:
                    _, entries = read_group(path)
                    images = list(zip(art.grids, (e[4] for e in entries)))
                    self.assertEqual(len(entries), len(art.grids))
                for grid, dib in images:
                    decoded = decode_dib(dib, grid.width, grid.height, art.bits, kind != "BITMAP")
                    self.assertEqual(decoded, expected_pixels(art, grid))


class ProgramNeedsTest(unittest.TestCase):
    def test_every_icon_has_each_scale_in_16_colours_and_tray_images_a_clear_surround(self):
        for name in ("MAINICON",) + TRAY:
            with self.subTest(icon=name):
                kind, entries = read_group(RES / "generated" / f"{name.lower()}.ico")
                self.assertEqual(kind, 1)
                self.assertEqual(sorted(w for w, *_ in entries), [16, 20, 24, 32, 40, 48])
                for w, h, planes, bits, dib in entries:
                    self.assertEqual((h, planes, bits), (w, 1, 4))
                    pixels = decode_dib(dib, w, h, 4, True)
                    # The program's icon puts its notes into the top right corner.
                    corners = ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)) if name in TRAY else ()
                    for x, y in corners:
                        self.assertEqual(pixels[y][x], ("screen", 0), f"{w}px corner {x},{y}")

    def test_sizes_that_no_drawn_one_divides_are_drawn_and_the_rest_are_whole_multiples(self):
        for kind, name, source in resgen.read_index(RES / "src"):
            if kind != "ICON":
                continue
            art = pixelart.parse(source.read_text(), str(source), kind)
            drawn = {g.width: g for g in art.grids}
            with self.subTest(icon=name):
                self.assertLessEqual({16, 20, 24}, set(drawn), "16, 20 and 24 come from the pen")
                for grid in iconsizes.complete(art).grids[len(drawn):]:
                    base = max(s for s in drawn if grid.width % s == 0)
                    factor = grid.width // base
                    for y, row in enumerate(grid.rows):
                        self.assertEqual(row, "".join(c * factor for c in drawn[base].rows[y // factor]))

    def test_the_16_pixel_images_are_the_ones_drawn_before(self):
        # The classic screen keeps its images: larger sizes are added, the 16x16 grids stay.
        pinned = {"MAINICON": "9b6203da4be73279", "ZCD": "d34575989745ed76",
                  "NOCD": "9a4e9bc07942a201", "STOP": "1d6438fd5327d725",
                  "PLAY": "cccaabeaf8c34dbb", "PAUSE": "c808312016dda59e"}
        for kind, name, source in resgen.read_index(RES / "src"):
            if kind == "ICON":
                art = pixelart.parse(source.read_text(), str(source), kind)
                grid = next(g for g in art.grids if g.width == 16)
                digest = hashlib.sha256("\n".join(grid.rows).encode()).hexdigest()[:16]
                self.assertEqual(digest, pinned[name], name)

    def test_hand_cursor_is_monochrome_32_pixel_and_points_at_its_hot_spot(self):
        kind, entries = read_group(RES / "generated" / "hand.cur")
        self.assertEqual((kind, len(entries)), (2, 1))
        w, h, hot_x, hot_y, dib = entries[0]
        self.assertEqual((w, h, hot_x, hot_y), (32, 32, 0, 0))
        pixels = decode_dib(dib, 32, 32, 1, True)
        self.assertEqual({p for row in pixels for p in row} - {("screen", 0)}, {(0, 0, 0), (255, 255, 255)})
        # The fingertip must be where the click lands, not somewhere down the image.
        tip = [(x, y) for y in range(2) for x in range(2) if pixels[y][x] != ("screen", 0)]
        self.assertTrue(tip, "nothing drawn next to the hot spot")

    def test_button_bitmaps_are_all_there_and_of_one_size(self):
        sizes = set()
        for state in STATES:
            for button in BUTTONS:
                data = (RES / "generated" / f"{state}_{button}.bmp".lower()).read_bytes()
                sizes.add(struct.unpack_from("<ii", data, 18))
        self.assertEqual(len(sizes), 1, sizes)
        width, height = sizes.pop()
        # The hidden bar is 240 x 30 for nine buttons, each bitmap + 8 wide and + 4 high.
        self.assertLessEqual((width + 8) * 9, 240)
        self.assertLessEqual(height + 4, 30)


class ScriptTest(unittest.TestCase):
    def setUp(self):
        self.script = (RES / "OrvantaBrevo.rc").read_text()
        self.resources = re.findall(r'^(\w+)\s+(ICON|CURSOR|BITMAP)\s+"([^"]+)"$', self.script, re.M)

    def test_names_are_the_ones_the_program_loads(self):
        wanted = {("ICON", "MAINICON"), ("CURSOR", "HAND")} | {("ICON", n) for n in TRAY}
        wanted |= {("BITMAP", f"{s}_{b}") for s in STATES for b in BUTTONS}
        self.assertEqual({(k, n) for n, k, _ in self.resources}, wanted)

    def test_every_file_named_exists_beside_the_script(self):
        files = [f for _, _, f in self.resources] + re.findall(r'^1 24 "([^"]+)"$', self.script, re.M)
        self.assertEqual(len(files), len(self.resources) + 1, "manifest missing")
        for file in files:
            self.assertTrue((RES / file).is_file(), file)

    def test_emulation_index_lists_the_same_resources_in_order(self):
        index = (RES / "generated" / "resource_index.inc").read_text()
        listed = re.findall(r'^ORVANTA_RESOURCE\((\w+), "(\w+)"\)$', index, re.M)
        self.assertEqual(listed, [(k, n) for n, k, _ in self.resources])

    def test_version_block_says_what_the_exe_is_and_whose(self):
        for line in ("FILEVERSION 0,11,2,0", "PRODUCTVERSION 0,11,2,0", 'VALUE "FileVersion", "0.11.2"',
                     'VALUE "ProductVersion", "0.11.2"', 'VALUE "ProductName", "OrvantaBrevo"',
                     'VALUE "CompanyName", "OrvantaBrevo"',
                     'VALUE "LegalCopyright", "Copyright (C) 2026 OrvantaBrevo"',
                     'VALUE "OriginalFilename", "OrvantaBrevo.exe"'):
            self.assertIn(line, self.script)

    def test_every_copy_of_the_version_matches_version_txt(self):
        version = resgen.read_version(RES / "src")[0]
        self.assertEqual(version, "0.11.2")
        # CMake reads version.txt itself; the manifest and the version tab repeat it by hand.
        identity = re.search(r'<assemblyIdentity type="win32" name="OrvantaBrevo" version="([\d.]+)"',
                             (RES / "OrvantaBrevo.manifest").read_text())
        self.assertEqual(identity.group(1), ".".join((version.split(".") + ["0"] * 4)[:4]))
        form = (REPO / "src" / "form" / "PropertyFormDefinition.cpp").read_text(encoding="utf-8")
        self.assertEqual(re.findall(r"Caption = 'Version ([\d.]+)'", form), [version])

    def test_exe_carries_the_same_manifest_without_its_comments_and_layout(self):
        def tree(element):
            text = (element.text or "").strip()
            return element.tag, sorted(element.attrib.items()), text, [tree(child) for child in element]

        written = ElementTree.parse(RES / "OrvantaBrevo.manifest").getroot()
        carried_text = (RES / "generated" / "orvantabrevo.manifest").read_text(encoding="utf-8")
        self.assertEqual(tree(ElementTree.fromstring(carried_text.encode("utf-8"))), tree(written))
        self.assertNotIn("<!--", carried_text)
        self.assertIn('1 24 "generated/orvantabrevo.manifest"', (RES / "OrvantaBrevo.rc").read_text())

    def test_manifest_runs_as_invoker_with_common_controls_6_aware_of_each_monitors_dpi(self):
        manifest = (RES / "OrvantaBrevo.manifest").read_text()
        self.assertIn('level="asInvoker"', manifest)
        self.assertRegex(manifest, r'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"')
        self.assertGreaterEqual(manifest.count("<supportedOS "), 5)
        # Windows 10 1703 and later read dpiAwareness; older ones the per-monitor dpiAware.
        self.assertRegex(manifest, r"<dpiAwareness [^>]*>PerMonitorV2, PerMonitor</dpiAwareness>")
        self.assertRegex(manifest, r"<dpiAware [^>]*>true/pm</dpiAware>")


if __name__ == "__main__":
    unittest.main()
