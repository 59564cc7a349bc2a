"""Writes .ico, .cur and .bmp files from parsed pixel art.

Every icon and cursor image is stored in the BMP form (a BITMAPINFOHEADER whose height
counts the colour plane and the AND mask together), which every Windows version and
windres read; PNG-compressed entries would not load on the older systems."""

import struct

from pixelart import INVERT, TRANSPARENT

_INFOHEADER = struct.Struct("<IiiHHIIiiII")


def _stride(width, bits):
    return (width * bits + 31) // 32 * 4


def _pack_rows(rows, bits):
    """Rows of palette indices, top row first, into bottom-up DWORD-aligned scan lines."""
    out = bytearray()
    per_byte = 8 // bits
    for row in reversed(rows):
        line = bytearray(_stride(len(row), bits))
        for x, index in enumerate(row):
            shift = 8 - bits * (x % per_byte + 1)
            line[x // per_byte] |= index << shift
        out += line
    return bytes(out)


def _info_header(width, height, bits, image_size):
    # Resolution fields stay 0: nothing reads them and they would be one more number to keep.
    return _INFOHEADER.pack(40, width, height, 1, bits, 0, image_size, 0, 0, 0, 0)


def _colour_table(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)


def _planes(art, grid):
    """The colour plane as palette indices and the AND mask as 0/1, both top row first."""
    palette = art.palette()
    lookup = {colour: palette.index(colour) for colour in art.legend.values() if isinstance(colour, tuple)}
    colour_rows, mask_rows = [], []
    for row in grid.rows:
        colours, mask = [], []
        for ch in row:
            value = art.legend[ch]
            if value == TRANSPARENT:
                colours.append(0)
                mask.append(1)
            elif value == INVERT:
                colours.append(1)
                mask.append(1)
            else:
                colours.append(lookup[value])
                mask.append(0)
        colour_rows.append(colours)
        mask_rows.append(mask)
    return colour_rows, mask_rows


def _icon_image(art, grid):
    colour_rows, mask_rows = _planes(art, grid)
    xor = _pack_rows(colour_rows, art.bits)
    and_mask = _pack_rows(mask_rows, 1)
    header = _info_header(grid.width, grid.height * 2, art.bits, len(xor) + len(and_mask))
    return header + _colour_table(art.palette()) + xor + and_mask


def icon_or_cursor(art):
    """An .ico (type 1) or .cur (type 2) file; the images keep the order of the source."""
    is_cursor = art.kind == "CURSOR"
    images = [_icon_image(art, grid) for grid in art.grids]
    out = bytearray(struct.pack("<HHH", 0, 2 if is_cursor else 1, len(images)))
    offset = 6 + 16 * len(images)
    for grid, data in zip(art.grids, images):
        colour_count = 1 << art.bits if art.bits < 8 else 0
        if is_cursor:
            fields = art.hotspot  # a cursor entry keeps its hot spot where an icon has planes and bits
        else:
            fields = (1, art.bits)
        out += struct.pack(
            "<BBBBHHII",
            grid.width % 256,
            grid.height % 256,
            colour_count,
            0,
            fields[0],
            fields[1],
            len(data),
            offset,
        )
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def bitmap(art):
    """A .bmp file: file header, info header, colour table, bottom-up pixels."""
    (grid,) = art.grids
    colour_rows, _ = _planes(art, grid)
    pixels = _pack_rows(colour_rows, art.bits)
    info = _info_header(grid.width, grid.height, art.bits, len(pixels)) + _colour_table(art.palette())
    offset = 14 + len(info)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + pixels


def encode(art):
    return bitmap(art) if art.kind == "BITMAP" else icon_or_cursor(art)


EXTENSIONS = {"ICON": ".ico", "CURSOR": ".cur", "BITMAP": ".bmp"}
