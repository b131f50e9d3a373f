#!/usr/bin/env python3
"""Draws the 16 x 16 tray icon pixel by pixel and renders the large raster from the drawing.

Run from the repository root: python3 resources/generators/make_tray_icon.py
It writes resources/icons/candlewise-16.png and, when ImageMagick is at hand,
resources/icons/candlewise-256.png from resources/icons/candlewise.svg.
"""
import shutil
import struct
import subprocess
import zlib
from pathlib import Path

BLUE = (7, 162, 254)
CYAN = (177, 255, 255)
BLACK = (0, 0, 0)

# The letter's blue strokes; the black outline is every other pixel next to one of them.
LETTER = [
    "................",
    "................",
    "..###......###..",
    "..####....####..",
    "..#####..#####..",
    "..##.######.##..",
    "..##..####..##..",
    "..##...##...##..",
    "..##........##..",
    "..##........##..",
    "..##........##..",
    "..##........##..",
    "..##........##..",
    "..##........##..",
    "................",
    "................",
]


def pixels():
    size = len(LETTER)
    blue = {(x, y) for y, row in enumerate(LETTER) for x, c in enumerate(row) if c == "#"}
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if (x, y) in blue:
                row.append(BLUE)
            elif any((x + dx, y + dy) in blue for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                row.append(BLACK)
            else:
                row.append(CYAN)
        rows.append(row)
    return rows


def png(rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    icons = Path(__file__).resolve().parent.parent / "icons"
    (icons / "candlewise-16.png").write_bytes(png(pixels()))
    convert = shutil.which("convert")
    if convert:
        subprocess.run([convert, "-background", "none", str(icons / "candlewise.svg"),
                        "-resize", "256x256", "-depth", "8", str(icons / "candlewise-256.png")], check=True)


if __name__ == "__main__":
    main()
