#!/usr/bin/env python3
"""Draws the main window's busy pointer (res/busy.cur): the arrow with a small hourglass beside it, a
32x32 monochrome cursor with its hot spot at the arrow's tip. Run from the repository root; the output
is checked in."""
import struct
import sys

# X black, . white, anything else transparent.
ARROW = [
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.....XXXXX",
    "X..X..X",
    "X.X X..X",
    "XX  X..X",
    "X    X..X",
    "     X..X",
    "      X..X",
    "      X..X",
    "       XX",
]
HOURGLASS = [
    "XXXXXXXXXXX",
    " X.......X",
    " X.......X",
    " X.XXXXX.X",
    "  X.XXX.X",
    "   X.X.X",
    "    X.X",
    "    X.X",
    "   X...X",
    "  X..X..X",
    " X...X...X",
    " X..XXX..X",
    " X.XXXXX.X",
    "XXXXXXXXXXX",
]
SIZE = 32


def draw():
    rows = [[" "] * SIZE for _ in range(SIZE)]
    for art, left, top in ((ARROW, 0, 0), (HOURGLASS, 12, 12)):
        for y, line in enumerate(art):
            for x, pixel in enumerate(line):
                if pixel in "X.":
                    rows[top + y][left + x] = pixel
    return rows


def masks(rows):
    """The XOR (colour) and AND (transparency) masks, bottom row first, 4 bytes a row."""
    xor, and_ = b"", b""
    for row in reversed(rows):
        x_bits = a_bits = 0
        for pixel in row:
            x_bits = (x_bits << 1) | (pixel == ".")
            a_bits = (a_bits << 1) | (pixel not in "X.")
        xor += x_bits.to_bytes(SIZE // 8, "big")
        and_ += a_bits.to_bytes(SIZE // 8, "big")
    return xor, and_


def cursor(rows, hot_x=0, hot_y=0):
    xor, and_ = masks(rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 2)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "res/busy.cur"
    with open(out, "wb") as f:
        f.write(cursor(draw()))
