#!/usr/bin/env python3
"""Which of the program's tray images a screenshot shows around a point.

Usage: icon-match.py [--size N] SCREENSHOT X Y IMAGE.ico...
Looks for each N x N image (16 by default: the .ico's image of that size) within 12 pixels of (X, Y), comparing only its opaque pixels (the
transparent ones show the taskbar), and prints the name of the one that matches exactly with its
place ("stop 1006 750"), or "none" with the fewest differing pixels each image had. Exit status 0
on a match, 1 otherwise. The pixels are read through ImageMagick's convert (raw RGB / RGBA)."""
import os
import subprocess
import sys

SIZE = 16
REACH = 12


def frame(path, size):
    """The .ico's image of that size, as ImageMagick names it ("file.ico[2]")."""
    widths = subprocess.run(["identify", "-format", "%w\n", path], check=True, capture_output=True,
                            text=True).stdout.split()
    if str(size) not in widths:
        sys.exit(f"icon-match: {path} has no {size} x {size} image (it has {' '.join(widths)})")
    return f"{path}[{widths.index(str(size))}]"


def raw(path, fmt, crop=None):
    args = ["convert", path]
    if crop:
        args += ["-crop", crop, "+repage"]
    args += ["-depth", "8", f"{fmt}:-"]
    return subprocess.run(args, check=True, capture_output=True).stdout


def main():
    global SIZE
    args = sys.argv[1:]
    if args[:1] == ["--size"]:
        SIZE, args = int(args[1]), args[2:]
    shot, x, y, images = args[0], int(args[1]), int(args[2]), args[3:]
    left, top = max(0, x - REACH - SIZE // 2), max(0, y - REACH - SIZE // 2)
    width = height = 2 * REACH + SIZE
    area = raw(shot, "rgb", f"{width}x{height}+{left}+{top}")
    # The crop is smaller where the screen ends.
    width = min(width, int(subprocess.run(["identify", "-format", "%w", shot], check=True,
                                          capture_output=True, text=True).stdout) - left)
    height = len(area) // (3 * width)
    best = {}
    for image in images:
        name = os.path.splitext(os.path.basename(image))[0]
        rgba = raw(frame(image, SIZE), "rgba")
        opaque = [(i % SIZE, i // SIZE, rgba[4 * i:4 * i + 3])
                  for i in range(SIZE * SIZE) if rgba[4 * i + 3] == 255]
        fewest = len(opaque)
        for dy in range(height - SIZE + 1):
            for dx in range(width - SIZE + 1):
                wrong = 0
                for px, py, colour in opaque:
                    at = 3 * ((dy + py) * width + dx + px)
                    if area[at:at + 3] != colour:
                        wrong += 1
                        if wrong >= fewest:
                            break
                if wrong == 0:
                    print(f"{name} {left + dx} {top + dy}")
                    return 0
                fewest = min(fewest, wrong)
        best[name] = fewest
    print("none " + " ".join(f"{name}={wrong}" for name, wrong in best.items()))
    return 1


if __name__ == "__main__":
    sys.exit(main())
