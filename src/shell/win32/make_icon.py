#!/usr/bin/env python3
"""Draws the program's icon and writes it as a Windows .ico file.

The picture: a blue timetable card with a grid of white cells and an
orange two-way arrow across it (data going both ways). Sizes 16, 24, 32,
48 and 256; every image is drawn from the same shapes with 4x4
supersampling, so nothing is taken from elsewhere.

    make_icon.py OUTPUT.ico
"""
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
SAMPLES = 4

BLUE = (40, 90, 170)
WHITE = (250, 250, 250)
ORANGE = (245, 140, 20)


def inside_rounded(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_arrow(x, y):
    """Two-way horizontal arrow across the middle (unit coordinates)."""
    if 0.30 <= x <= 0.70 and abs(y - 0.55) <= 0.06:
        return True
    for tip, base in ((0.10, 0.32), (0.90, 0.68)):
        span = abs(x - tip) / abs(base - tip)
        if min(tip, base) <= x <= max(tip, base) and abs(y - 0.55) <= 0.20 * span:
            return True
    return False


def colour_at(x, y):
    """Colour and coverage of the point (x, y) in 0..1 coordinates."""
    if inside_arrow(x, y):
        return ORANGE
    if inside_rounded(x, y, 0.04, 0.10, 0.96, 0.94, 0.10):
        # Grid of 4 columns by 3 rows of white cells under a blue top band.
        if y > 0.28:
            col = (x - 0.10) / 0.80 * 4
            row = (y - 0.32) / 0.56 * 3
            if 0 <= col < 4 and 0 <= row < 3 and col % 1 < 0.82 and row % 1 < 0.78:
                return WHITE
        return BLUE
    return None


def render(size):
    """Rows of BGRA pixels, top row first."""
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = count = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at((px + (sx + 0.5) / SAMPLES) / size,
                                  (py + (sy + 0.5) / SAMPLES) / size)
                    if c:
                        r, g, b, count = r + c[0], g + c[1], b + c[2], count + 1
            if count:
                row += bytes((b // count, g // count, r // count, 255 * count // SAMPLES ** 2))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def dib(size, rows):
    """The image as a 32-bit DIB with its AND mask, as .ico entries hold it."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            if row[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def png(size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b""
    for row in rows:
        rgba = bytearray(row)
        for i in range(0, len(rgba), 4):
            rgba[i], rgba[i + 2] = rgba[i + 2], rgba[i]
        raw += b"\0" + bytes(rgba)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(size, rows) if size >= 256 else dib(size, rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
