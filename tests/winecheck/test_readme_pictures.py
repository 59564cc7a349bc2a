"""The README's pictures of the real exe (tools/wine/readme-images.sh takes them) are there, are
PNG files of a menu's or the dialog's size, and are small."""

import re
import struct
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
SCRIPT = (ROOT / "tools" / "wine" / "readme-images.sh").read_text()


class ReadmePicturesTest(unittest.TestCase):
    def test_every_picture_the_readme_shows_is_one_the_script_takes(self):
        shown = re.findall(r"\]\((docs/images/[^)]+)\)", (ROOT / "README.md").read_text())
        taken = {f"docs/images/{name}.png" for name in re.findall(r"\[([a-z-]+)\]=", SCRIPT)}
        self.assertEqual(len(shown), 5)
        self.assertEqual(set(shown), taken)
        for picture in shown:
            data = (ROOT / picture).read_bytes()
            self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n", picture)
            width, height = struct.unpack(">II", data[16:24])
            self.assertTrue(80 <= width <= 700 and 80 <= height <= 400, (picture, width, height))
            self.assertLess(len(data), 64 * 1024, picture)


if __name__ == "__main__":
    unittest.main()
