#!/usr/bin/env python3
"""Pictures for the engines' stage, with the standard library alone.

    pictures.py paint PNG...   each PNG made one of its size, all magenta
    pictures.py count TGA      how many pixels of an engine's screenshot are magenta-ish
"""
import struct
import sys
import zlib


def paint(path):
    with open(path, "rb") as f:
        data = f.read()
    width, height = struct.unpack(">II", data[16:24])
    row = b"\x00" + b"\xff\x00\xff" * width
    raw = zlib.compress(row * height)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", raw) + chunk(b"IEND", b""))


def count(path):
    """Pixels where red and blue both stand well above green, as lit magenta does."""
    with open(path, "rb") as f:
        data = f.read()
    id_length, colour_map, kind = data[0], data[1], data[2]
    width, height, bits = struct.unpack("<HHB", data[12:17])
    if colour_map or kind != 2 or bits not in (24, 32):
        sys.exit("%s: not an uncompressed true-colour TGA" % path)
    step = bits // 8
    pixels = data[18 + id_length:18 + id_length + width * height * step]
    found = 0
    for i in range(0, len(pixels), step):
        b, g, r = pixels[i], pixels[i + 1], pixels[i + 2]
        found += r > 40 and b > 40 and r > 2 * g and b > 2 * g
    return found


if __name__ == "__main__":
    if sys.argv[1] == "paint":
        for name in sys.argv[2:]:
            paint(name)
    elif sys.argv[1] == "count":
        print(count(sys.argv[2]))
