"""A magnified contact sheet of all images as PNG, for looking at the art.

Transparent pixels show as a light checkerboard and inverted ones as magenta, so that
both stay visible; each resource starts a new cell, images of one icon sit side by side."""

import struct
import zlib

from pixelart import INVERT, TRANSPARENT

_GAP = 2  # in source pixels


def _png(width, height, rows):
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    raw = b"".join(b"\0" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def contact_sheet(arts, scale=6, columns=6):
    cells = []
    for art in arts:
        width = sum(g.width for g in art.grids) + _GAP * (len(art.grids) - 1)
        height = max(g.height for g in art.grids)
        cells.append((art, width, height))
    cell_w = max(w for _, w, _ in cells) + _GAP * 2
    cell_h = max(h for _, _, h in cells) + _GAP * 2
    rows_of_cells = (len(cells) + columns - 1) // columns
    sheet_w, sheet_h = cell_w * min(columns, len(cells)) * scale, cell_h * rows_of_cells * scale
    canvas = [bytearray(b"\x60\x60\x70" * sheet_w) for _ in range(sheet_h)]

    def put(px, py, rgb):
        for dy in range(scale):
            line = canvas[py * scale + dy]
            for dx in range(scale):
                x = (px * scale + dx) * 3
                line[x : x + 3] = bytes(rgb)

    for n, (art, _, _) in enumerate(cells):
        x0 = (n % columns) * cell_w + _GAP
        y0 = (n // columns) * cell_h + _GAP
        for grid in art.grids:
            for y in range(grid.height):
                for x in range(grid.width):
                    value = art.pixel(grid, x, y)
                    if value == TRANSPARENT:
                        value = (230, 230, 230) if (x + y) % 2 else (200, 200, 200)
                    elif value == INVERT:
                        value = (255, 0, 255)
                    put(x0 + x, y0 + y, value)
            x0 += grid.width + _GAP
    return _png(sheet_w, sheet_h, canvas)
