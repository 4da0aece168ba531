#!/usr/bin/env python3
"""Draws the program's icon (a sheet of paper with a renaming arrow on a
blue tile) and writes it as a Windows .ico with 16, 32 and 48 pixel images.
Usage: draw_icon.py OUT.ico"""
import struct
import sys


def inside_round_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(x, y):
    """The picture on a unit square, y downwards; None is transparent."""
    ink = None
    if inside_round_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        ink = (40, 110, 200)
    # The sheet, its top right corner folded.
    if 0.22 <= x <= 0.70 and 0.12 <= y <= 0.80 and not (x - 0.56) > (y - 0.12):
        ink = (250, 250, 250)
    if 0.56 <= x <= 0.70 and 0.12 <= y <= 0.26 and (x - 0.56) <= (y - 0.12):
        ink = (200, 215, 235)
    # Lines of text on the sheet.
    for top in (0.34, 0.46, 0.58):
        if 0.30 <= x <= 0.62 and top <= y <= top + 0.05:
            ink = (120, 140, 170)
    # The arrow: a bar and a head pointing right.
    if 0.40 <= x <= 0.70 and 0.72 <= y <= 0.82:
        ink = (245, 160, 30)
    if 0.68 <= x <= 0.92 and abs(y - 0.77) <= 0.17 * (0.92 - x) / 0.24:
        ink = (245, 160, 30)
    return ink


def image(size):
    """BGRA rows bottom-up, each pixel the mean of 4x4 samples."""
    rows = []
    for py in range(size - 1, -1, -1):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(4):
                for sx in range(4):
                    c = colour_at((px + (sx + 0.5) / 4) / size, (py + (sy + 0.5) / 4) / size)
                    if c:
                        acc[0] += c[2]; acc[1] += c[1]; acc[2] += c[0]; acc[3] += 255
            n = acc[3] // 255
            if n:
                row += bytes([acc[0] // n, acc[1] // n, acc[2] // n, acc[3] // 16])
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    pixels = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # the alpha channel decides
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main():
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main()
