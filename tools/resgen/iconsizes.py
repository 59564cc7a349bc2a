"""The sizes every icon carries, so that Windows never has to stretch one on a scaled screen.

An icon's source draws some sizes by hand (always 16x16, and every size that no drawn one divides:
a copy scaled by 1.25 or 1.5 would double some pixels and not others). Each other size is a drawn
image scaled by a whole number, every pixel a square block, from the largest drawn size that
divides it: 32 from 16, 40 from 20, 48 from 24.
"""

from pixelart import Grid, SourceError

# 100, 125, 150, 200, 250 and 300 per cent of the 16-pixel small icon.
ICON_SIZES = (16, 20, 24, 32, 40, 48)


def scaled(grid, factor):
    rows = ["".join(ch * factor for ch in row) for row in grid.rows for _ in range(factor)]
    return Grid(grid.width * factor, grid.height * factor, rows, grid.line)


def complete(art):
    """Adds to an icon's art every size of ICON_SIZES that its source does not draw, after the
    drawn ones and in ascending size; refuses a size that no drawn square image divides."""
    drawn = {g.width: g for g in art.grids if g.width == g.height}
    for size in ICON_SIZES:
        if size in drawn:
            continue
        bases = [s for s in drawn if s < size and size % s == 0]
        if not bases:
            raise SourceError(f"{art.path}: no drawn image scales to {size}x{size} by a whole "
                              f"number: draw that size")
        base = max(bases)
        art.grids.append(scaled(drawn[base], size // base))
    return art
