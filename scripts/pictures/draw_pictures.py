#!/usr/bin/env python3
"""Redraws the program's pictures into resources/pictures/, and the window icon at the sizes
the desktop's icon theme asks for into packaging/icons/.

Standard library only. The icons are hand-placed pixels in the classic 16-colour palette; the
title logo is drawn from letter shapes, outlined and shaded, and written as a GIF.

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


def write_icon(path, name, art):
    rows, clear = icon_rows(name, art)
    palette = CLASSIC + ([(192, 192, 192)] if clear else [])
    write_indexed_png(path, rows, palette, 16 if clear else None)


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
    for name, art, opaque in ICONS:
        if opaque and CLEAR in art:
            raise SystemExit(f"{name}: must be opaque")
        write_icon(os.path.join(target, name), name, art)
    width, height, indices, palette, clear_index = draw_logo()
    write_gif(os.path.join(target, "logo.gif"), width, height, indices, palette, clear_index)

    theme = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "..", "..", "packaging",
                                                               "icons")
    os.makedirs(theme, exist_ok=True)
    write_icon(os.path.join(theme, "zorvex-16.png"), "zorvex-16.png", ARROW_16)
    write_icon(os.path.join(theme, "zorvex-32.png"), "zorvex-32.png", ARROW)
    for size in (48, 256):
        write_rgba_png(os.path.join(theme, f"zorvex-{size}.png"), draw_arrow(size))


if __name__ == "__main__":
    main()
