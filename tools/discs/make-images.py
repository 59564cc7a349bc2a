#!/usr/bin/env python3
"""Makes the sample disc images in a folder: each CUE sheet here, and beside it the BIN files it
names as sparse files of the size its `REM FRAMES NAME COUNT` line gives (2352 bytes a frame), so
an image of an hour of music takes no room on disk.

    tools/discs/make-images.py DIR      # DIR/three-tracks.cue, DIR/three-tracks.bin, ...
"""
import pathlib
import shutil
import sys

BYTES_PER_FRAME = 2352


def make_images(out: pathlib.Path) -> list[pathlib.Path]:
    out.mkdir(parents=True, exist_ok=True)
    sheets = []
    for sheet in sorted(pathlib.Path(__file__).resolve().parent.glob("*.cue")):
        for line in sheet.read_text(encoding="utf-8").splitlines():
            words = line.split()
            if words[:2] == ["REM", "FRAMES"]:
                with open(out / words[2], "wb") as image:
                    image.truncate(int(words[3]) * BYTES_PER_FRAME)
        shutil.copyfile(sheet, out / sheet.name)
        sheets.append(out / sheet.name)
    return sheets


def main(argv: list[str]) -> int:
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 64
    for sheet in make_images(pathlib.Path(argv[1])):
        print(sheet)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
