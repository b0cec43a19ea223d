#!/usr/bin/env python3
"""Redraws the program's pictures into resources/pictures/, and the window icon at the sizes
the desktop's icon theme asks for into packaging/icons/ (and, at the same sizes, into the
pictures, for the windows' own icon).

Standard library only. The icons are hand-placed pixels in the classic 16-colour palette; the
title logo is drawn from letter shapes, outlined and shaded, and written as a GIF. Every picture
also comes at twice its size, named with Qt's "@2x", for screens scaled by two: the hand-placed
ones enlarged by Scale2x, which keeps their colours and hard edges and rounds off the stairs of
their diagonals; the arrow and the logo drawn again from their outlines.

    python3 scripts/pictures/draw_pictures.py [pictures directory [theme icons directory]]
"""

import os
import struct
import sys
import zlib

sys.dont_write_bytecode = True

from appicon import ARROW_16, draw_arrow  # noqa: E402
from icons import ARROW, ICONS  # noqa: E402
from logo import draw_logo  # noqa: E402

CLASSIC = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]

# One letter per palette entry; '.' is see-through.
KEY = "KNGTMPOSDBLCRFYW"
CLEAR = "."


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_indexed_png(path, rows, palette, clear_index=None):
    width, height = len(rows[0]), len(rows)
    # Four bits a pixel whenever the palette allows, as the classic icons had.
    depth = 4 if len(palette) <= 16 else 8
    raw = bytearray()
    for row in rows:
        raw.append(0)
        if depth == 8:
            raw.extend(row)
        else:
            padded = list(row) + [0] * (len(row) % 2)
            raw.extend((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
    png = b"\x89PNG\r\n\x1a\n"
    png += _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, 3, 0, 0, 0))
    png += _chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if clear_index is not None:
        alpha = bytes(0 if i == clear_index else 255 for i in range(clear_index + 1))
        png += _chunk(b"tRNS", alpha)
    png += _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += _chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_rgba_png(path, rows):
    width, height = len(rows[0]), len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw.extend(pixel)
    png = b"\x89PNG\r\n\x1a\n"
    png += _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += _chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_icon(path, name, art, scale=1):
    rows, clear = icon_rows(name, art)
    if scale == 2:
        rows = scale2x(rows)
    palette = CLASSIC + ([(192, 192, 192)] if clear else [])
    write_indexed_png(path, rows, palette, 16 if clear else None)


def scale2x(rows):
    """Each pixel becomes four; a corner takes a neighbour's colour where two edges meet."""
    h, w = len(rows), len(rows[0])

    def at(x, y, default):
        return rows[y][x] if 0 <= x < w and 0 <= y < h else default

    out = [[0] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p = rows[y][x]
            a, b, c, d = at(x, y - 1, p), at(x + 1, y, p), at(x - 1, y, p), at(x, y + 1, p)
            out[2 * y][2 * x] = a if c == a and c != d and a != b else p
            out[2 * y][2 * x + 1] = b if a == b and a != c and b != d else p
            out[2 * y + 1][2 * x] = c if d == c and d != b and c != a else p
            out[2 * y + 1][2 * x + 1] = d if b == d and b != a and d != c else p
    return out


def at2x(name):
    stem, dot, suffix = name.rpartition(".")
    return f"{stem}@2x.{suffix}"


def icon_rows(name, art):
    rows = [line for line in art.strip("\n").split("\n")]
    size = len(rows)
    for y, line in enumerate(rows):
        if len(line) != size:
            raise SystemExit(f"{name}: row {y} is {len(line)} wide, not {size}")
        for ch in line:
            if ch != CLEAR and ch not in KEY:
                raise SystemExit(f"{name}: row {y} has unknown colour {ch!r}")
    clear = CLEAR in art
    # The see-through entry follows the sixteen colours, so indices 0-15 stay the classic ones.
    return [[16 if ch == CLEAR else KEY.index(ch) for ch in line] for line in rows], clear


def lzw(indices, min_size):
    clear_code = 1 << min_size
    end_code = clear_code + 1
    out = bytearray()
    bits = 0
    nbits = 0

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    def fresh():
        return {bytes([i]): i for i in range(clear_code)}, end_code + 1, min_size + 1

    table, next_code, size = fresh()
    emit(clear_code, size)
    word = b""
    for value in indices:
        longer = word + bytes([value])
        if longer in table:
            word = longer
            continue
        emit(table[word], size)
        table[longer] = next_code
        next_code += 1
        if next_code > (1 << size) and size < 12:
            size += 1
        # Start over well before the 12-bit ceiling, where decoders disagree.
        if next_code >= 4000:
            emit(clear_code, size)
            table, next_code, size = fresh()
        word = bytes([value])
    if word:
        emit(table[word], size)
    emit(end_code, size)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def write_gif(path, width, height, indices, palette, clear_index):
    assert len(palette) == 256 and len(indices) == width * height
    gif = b"GIF89a"
    gif += struct.pack("<HHBBB", width, height, 0xF7, clear_index, 0)
    gif += b"".join(bytes(c) for c in palette)
    gif += b"\x21\xF9\x04" + struct.pack("<BHBB", 0x01, 0, clear_index, 0)
    gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data = lzw(indices, 8)
    gif += b"\x08"
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        gif += bytes([len(block)]) + block
    gif += b"\x00\x3B"
    with open(path, "wb") as f:
        f.write(gif)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources",
                                                                "pictures")
    os.makedirs(target, exist_ok=True)
    for name, art in ICONS:
        write_icon(os.path.join(target, name), name, art)
        # The arrow has an outline of its own, drawn afresh rather than enlarged.
        if art is ARROW:
            write_rgba_png(os.path.join(target, at2x(name)), draw_arrow(64))
        else:
            write_icon(os.path.join(target, at2x(name)), name, art, scale=2)
    for scale, name in ((1, "logo.gif"), (2, "logo@2x.gif")):
        width, height, indices, palette, clear_index = draw_logo(scale)
        write_gif(os.path.join(target, name), width, height, indices, palette, clear_index)
    write_icon(os.path.join(target, "icon16.png"), "icon16.png", ARROW_16)
    write_icon(os.path.join(target, "icon16@2x.png"), "icon16.png", ARROW_16, scale=2)
    for size in (48, 256):
        write_rgba_png(os.path.join(target, f"icon{size}.png"), draw_arrow(size))
    write_rgba_png(os.path.join(target, "icon48@2x.png"), draw_arrow(96))

    theme = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "..", "packaging",
                                                               "icons")
    os.makedirs(theme, exist_ok=True)
    write_icon(os.path.join(theme, "zorvex-16.png"), "zorvex-16.png", ARROW_16)
    write_icon(os.path.join(theme, "zorvex-32.png"), "zorvex-32.png", ARROW)
    for size in (48, 256):
        write_rgba_png(os.path.join(theme, f"zorvex-{size}.png"), draw_arrow(size))


if __name__ == "__main__":
    main()
