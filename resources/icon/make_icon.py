#!/usr/bin/env python3
"""Draws the Quillpost application icon: a quill writing on a page of a book.

32 x 32 pixels in the 16 colours of the standard VGA palette. Writes quillpost.ico (one 4-bit image
with its transparency mask), quillpost.png (the same picture with an alpha channel) and
quillpost.xpm. Uses the Python standard library only, so any machine can regenerate the files:

    python3 resources/icon/make_icon.py
"""
import os
import struct
import zlib

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = -1
SIZE = 32

# The picture, row by row. Each letter is one pixel:
#   . clear   k black   g grey   s silver   w white   n navy   b blue
#   m maroon  r red     y yellow o olive
PICTURE = """
........................kkmrk...
.......................kmrmwrk..
......................krmrwmmk..
.....................kmrmwwrrk..
....................krmrwwmmk...
...................kmrmrwrrrk...
..................krmrmwrrmk....
.................kmrmrwmmmmk....
.................kmrmwrrrrk.....
................krmrwmmmmk......
................krmwwrrrk.......
.nnnnnnnnnnnnnnkmrwwmmmknnnnnnn.
.nwwwwwwwwwwwwwkmrwrrrkwwwwwwwn.
.nwwwwwwwwwwwwwkmwmmmkwwwwwwwwn.
.nwwggggggggggwkwmmkkgggggggwwn.
.nwwwwwwwwwwwwksskkwwwwwwwwwwwn.
.nwwgggggggggksskwggggggggggwwn.
.nwwwwwwwwwwksskswwwwwwwwwwwwwn.
.nwwggggggggkskgswggggggggggwwn.
.nwwwwwwwwwkkkwgswwwwwwwwwwwwwn.
.nwwggggggkkggwgswggggggggggwwn.
.nwwwwwwwwkwwwwgswwwwwwwwwwwwwn.
.nwwgbggbbggggwgswggggggggggwwn.
.nwwbwbbwwwwwwwgswwwwwwwwwwwwwn.
.nwwggggggggggwgswggggggggggwwn.
.nwwwwwwwwwwwwwgswwwwwwwwwwwwwn.
.nwwggggggggggwgswggggggggggwwn.
.nwwwwwwwwwwwwwgswwwwwwwwwwwwwn.
.nnnnnnnnnnnnnngsnnnnnnnnnnnnnn.
.nnnnnnnnnnnnnngsnnnnnnnnnnnnnn.
..nnnnnnnnnnnnnnnnnnnnnnnnnnnn..
................................
"""

LETTERS = {
    ".": CLEAR, "k": BLACK, "g": GREY, "s": SILVER, "w": WHITE, "n": NAVY, "b": BLUE,
    "m": MAROON, "r": RED, "y": YELLOW, "o": OLIVE,
}


def pixels():
    rows = [line for line in PICTURE.strip("\n").split("\n")]
    assert len(rows) == SIZE, len(rows)
    grid = []
    for row in rows:
        assert len(row) == SIZE, row
        grid.append([LETTERS[c] for c in row])
    return grid


def ico(grid):
    # BITMAPINFOHEADER: height counts the colour image and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(grid):  # bottom-up
        for x in range(0, SIZE, 2):
            hi = max(row[x], 0)
            lo = max(row[x + 1], 0)
            xor.append((hi << 4) | lo)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] == CLEAR else 0)
        mask += struct.pack(">I", bits)  # 32 pixels: one 4-byte row, already DWORD aligned
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png(grid):
    raw = bytearray()
    for row in grid:
        raw.append(0)
        for index in row:
            if index == CLEAR:
                raw += bytes((0, 0, 0, 0))
            else:
                raw += bytes(PALETTE[index]) + b"\xff"

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    ihdr = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def xpm(grid):
    used = sorted({i for row in grid for i in row})
    code = {i: ("." if i == CLEAR else "0123456789abcdef"[i]) for i in used}
    lines = ["/* XPM */", "static const char* quillpost_xpm[] = {",
             '"%d %d %d 1",' % (SIZE, SIZE, len(used))]
    for i in used:
        colour = "None" if i == CLEAR else "#%02X%02X%02X" % PALETTE[i]
        lines.append('"%s c %s",' % (code[i], colour))
    for y, row in enumerate(grid):
        end = "," if y < SIZE - 1 else ""
        lines.append('"' + "".join(code[i] for i in row) + '"' + end)
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    grid = pixels()
    with open(os.path.join(here, "quillpost.ico"), "wb") as f:
        f.write(ico(grid))
    with open(os.path.join(here, "quillpost.png"), "wb") as f:
        f.write(png(grid))
    with open(os.path.join(here, "quillpost.xpm"), "w") as f:
        f.write(xpm(grid))


if __name__ == "__main__":
    main()
