#!/usr/bin/env python3
"""Which items of a shown popup menu are enabled, read from a screenshot.

Usage: menu-items.py SCREENSHOT LEFT TOP RIGHT BOTTOM   (the menu window's rectangle)
Prints one character per item with text, top to bottom: 1 enabled, 0 disabled (grayed). An item's
text is drawn in the menu text colour (black) when enabled and in the gray text colour when not;
separators are lines across the menu and count as no item. Nothing must be highlighted: the mouse
stays off the menu. Pixels are read through ImageMagick's convert."""
import subprocess
import sys

BORDER = 3
DARK = 0x50  # the menu text is black; grayed text is 0x80 and lighter


def main():
    shot = sys.argv[1]
    left, top, right, bottom = (int(v) for v in sys.argv[2:6])
    left, top, right, bottom = left + BORDER, top + BORDER, right - BORDER, bottom - BORDER
    width, height = right - left, bottom - top
    rgb = subprocess.run(["convert", shot, "-crop", f"{width}x{height}+{left}+{top}", "+repage",
                          "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    background = rgb[0:3]
    rows = []
    for y in range(height):
        line = rgb[3 * width * y:3 * width * (y + 1)]
        pixels = [line[i:i + 3] for i in range(0, len(line), 3)]
        ink = [p for p in pixels if p != background]
        dark = any(max(p) < DARK for p in ink)
        # A separator runs across nearly the whole menu; text does not.
        rows.append(None if not ink or len(ink) > 0.8 * width else dark)
    items, band, gap = [], None, 0
    for row in rows + [None] * 3:
        if row is None:
            gap += 1
            # Rows of one item's text (its access-key underline included) are at most 2 apart.
            if band is not None and gap > 2:
                items.append(band)
                band = None
            continue
        gap = 0
        band = row if band is None else band or row
    print("".join("1" if enabled else "0" for enabled in items))
    return 0


if __name__ == "__main__":
    sys.exit(main())
