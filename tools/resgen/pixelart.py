"""Reads one pixel-art source: a few headers, a colour legend and one or more grids.

    # a comment
    bits: 4
    hotspot: 0,0            (cursors only)
    legend:
      . transparent
      K 000000   black outline
      s c0c0c0   silver
    image 16x16:
      ................
      ...

Every legend entry is one character (not "#", which starts a comment) and a colour:
six hex digits, "transparent" (the screen shows through) or "invert" (the screen is
inverted; cursors only). Words after the colour describe it and are ignored. Every key
must be used, and every grid row holds exactly WIDTH keys.

Icons take 1, 4 or 8 bits and any number of images of different sizes; a cursor is one
1-bit black-and-white image with a hot spot; a bitmap is one opaque image. The colour
table follows the legend's order (after black, for icons and cursors).
"""

import re
from dataclasses import dataclass, field

TRANSPARENT = "transparent"
INVERT = "invert"

KINDS = ("ICON", "CURSOR", "BITMAP")
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)


class SourceError(Exception):
    """A source that cannot be turned into a resource; the message names file and line."""


@dataclass
class Grid:
    width: int
    height: int
    rows: list  # of str, one character per pixel
    line: int  # where the grid's header stands, for messages


@dataclass
class Art:
    path: str
    kind: str
    bits: int
    hotspot: tuple | None
    legend: dict  # key -> (r, g, b) | TRANSPARENT | INVERT
    grids: list = field(default_factory=list)

    def palette(self):
        """The colour table, padded to 2**bits entries.

        Icons and cursors keep black at index 0: a transparent pixel must draw black
        into the colour plane so that the AND mask leaves the screen untouched, and a
        cursor's inverted pixel needs white at index 1."""
        if self.kind == "CURSOR":
            colours = [BLACK, WHITE]
        else:
            colours = [BLACK] if self.kind == "ICON" else []
            for value in self.legend.values():
                if isinstance(value, tuple) and value not in colours:
                    colours.append(value)
        return colours + [BLACK] * ((1 << self.bits) - len(colours))

    def pixel(self, grid, x, y):
        return self.legend[grid.rows[y][x]]


_HEADER = re.compile(r"^([a-z]+)\s*:\s*(.*)$")
_IMAGE = re.compile(r"^image\s+(\d+)x(\d+)\s*:$")
_HEX = re.compile(r"^#?([0-9a-fA-F]{6})$")

_ALLOWED_BITS = {"ICON": (1, 4, 8), "CURSOR": (1,), "BITMAP": (1, 4, 8)}


def parse(text, path, kind):
    if kind not in KINDS:
        raise SourceError(f"{path}: unknown resource kind {kind!r}")
    lines = text.splitlines()
    headers = {}
    legend = {}
    grids = []
    in_legend = False
    i = 0

    def fail(lineno, message):
        raise SourceError(f"{path}:{lineno}: {message}")

    while i < len(lines):
        lineno = i + 1
        raw = lines[i]
        stripped = raw.strip()
        i += 1
        if not stripped or stripped.startswith("#"):
            continue
        image = _IMAGE.match(stripped)
        if image:
            in_legend = False
            width, height = int(image.group(1)), int(image.group(2))
            if not (1 <= width <= 256 and 1 <= height <= 256):
                fail(lineno, f"image size {width}x{height} is outside 1..256")
            rows = []
            for r in range(height):
                if i >= len(lines):
                    fail(lineno, f"image {width}x{height} ends after {r} of {height} rows")
                row = lines[i].strip()
                if not row:
                    fail(i + 1, f"row {r + 1} of image {width}x{height} is missing")
                if len(row) != width:
                    fail(i + 1, f"row {r + 1} has {len(row)} pixels, expected {width}")
                for ch in row:
                    if ch not in legend:
                        fail(i + 1, f"pixel {ch!r} is not in the legend")
                rows.append(row)
                i += 1
            if any(g.width == width and g.height == height for g in grids):
                fail(lineno, f"a second image of size {width}x{height}")
            grids.append(Grid(width, height, rows, lineno))
            continue
        if grids:
            fail(lineno, f"unexpected text after an image: {stripped!r}")
        if stripped == "legend:":
            in_legend = True
            continue
        if in_legend:
            parts = stripped.split()
            key, value = parts[0], parts[1] if len(parts) > 1 else ""
            if len(key) != 1:
                fail(lineno, f"legend key {key!r} must be a single character")
            if key in legend:
                fail(lineno, f"legend key {key!r} given twice")
            legend[key] = _colour(value, kind, lambda m: fail(lineno, m))
            continue
        header = _HEADER.match(stripped)
        if not header:
            fail(lineno, f"cannot read {stripped!r}")
        name, value = header.groups()
        if name not in ("bits", "hotspot"):
            fail(lineno, f"unknown header {name!r}")
        if name in headers:
            fail(lineno, f"header {name!r} given twice")
        headers[name] = (value.strip(), lineno)

    if not grids:
        raise SourceError(f"{path}: no image")
    bits = _bits(headers, kind, path)
    art = Art(path, kind, bits, _hotspot(headers, kind, path), legend, grids)
    _check(art)
    return art


def _colour(value, kind, fail):
    if value == TRANSPARENT:
        if kind == "BITMAP":
            fail("a bitmap cannot be transparent")
        return TRANSPARENT
    if value == INVERT:
        if kind != "CURSOR":
            fail("only a cursor can invert the screen")
        return INVERT
    match = _HEX.match(value)
    if not match:
        fail(f"colour {value!r} is neither six hex digits, 'transparent' nor 'invert'")
    digits = match.group(1)
    rgb = tuple(int(digits[k : k + 2], 16) for k in (0, 2, 4))
    if kind == "CURSOR" and rgb not in (BLACK, WHITE):
        fail(f"a monochrome cursor has only black and white, not {digits}")
    return rgb


def _bits(headers, kind, path):
    if "bits" not in headers:
        raise SourceError(f"{path}: the header 'bits' is missing")
    value, lineno = headers["bits"]
    if value not in {str(b) for b in _ALLOWED_BITS[kind]}:
        allowed = ", ".join(str(b) for b in _ALLOWED_BITS[kind])
        raise SourceError(f"{path}:{lineno}: a {kind.lower()} has {allowed} bits per pixel, not {value!r}")
    return int(value)


def _hotspot(headers, kind, path):
    if kind != "CURSOR":
        if "hotspot" in headers:
            raise SourceError(f"{path}:{headers['hotspot'][1]}: only a cursor has a hot spot")
        return None
    if "hotspot" not in headers:
        raise SourceError(f"{path}: a cursor needs the header 'hotspot: X,Y'")
    value, lineno = headers["hotspot"]
    match = re.match(r"^(\d+)\s*,\s*(\d+)$", value)
    if not match:
        raise SourceError(f"{path}:{lineno}: hot spot {value!r} is not 'X,Y'")
    return int(match.group(1)), int(match.group(2))


def _check(art):
    path = art.path
    if art.kind in ("CURSOR", "BITMAP") and len(art.grids) != 1:
        raise SourceError(f"{path}: a {art.kind.lower()} has exactly one image, not {len(art.grids)}")
    if art.hotspot is not None:
        x, y = art.hotspot
        grid = art.grids[0]
        if x >= grid.width or y >= grid.height:
            raise SourceError(f"{path}: hot spot {x},{y} lies outside the {grid.width}x{grid.height} image")
    colours = {v for v in art.legend.values() if isinstance(v, tuple)}
    if art.kind == "ICON":
        colours.add(BLACK)
    if len(colours) > (1 << art.bits):
        raise SourceError(f"{path}: {len(colours)} colours do not fit in {art.bits} bits per pixel")
    used = {ch for grid in art.grids for row in grid.rows for ch in row}
    unused = sorted(set(art.legend) - used)
    if unused:
        raise SourceError(f"{path}: legend keys not used by any image: {' '.join(unused)}")
