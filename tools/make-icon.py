#!/usr/bin/env python3
"""Draws KV2's icons in the sizes Windows asks for and writes each as one .ico file with PNG images:
the application icon (a window with a tray badge) and, with --wait, the waiting picture shown while a
target starts (an hourglass). Run it again after changing a drawing; the .ico files are committed."""
import struct
import sys
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64, 96, 128, 256]


def inside_rounded(x, y, left, top, right, bottom, radius):
    if x < left or x >= right or y < top or y >= bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def hourglass(x, y):
    """Colour of the waiting picture at (x, y) in the unit square, or None."""
    if 0.18 <= x <= 0.82 and (0.06 <= y <= 0.14 or 0.86 <= y <= 0.94):
        return (90, 60, 30, 255)  # the two caps
    if 0.14 < y < 0.86:
        half = abs(y - 0.5) / 0.36 * 0.28 + 0.04  # half width of the glass at this height
        if abs(x - 0.5) <= half:
            inner = half - 0.05
            sand = (y > 0.68 and abs(x - 0.5) <= inner) or (0.3 < y < 0.5 and abs(x - 0.5) <= inner) \
                or (0.5 <= y <= 0.68 and abs(x - 0.5) <= 0.025)
            return (235, 160, 40, 255) if sand else (60, 110, 200, 255)
    return None


def window_with_badge(x, y):
    """Colour of the application icon at (x, y) in the unit square, or None."""
    colour = None
    # tray badge: an orange disc at the lower right, drawn over the window
    if (x - 0.76) ** 2 + (y - 0.76) ** 2 <= 0.2 ** 2:
        colour = (245, 140, 30, 255)
        if (x - 0.76) ** 2 + (y - 0.76) ** 2 <= 0.09 ** 2:
            colour = (255, 255, 255, 255)
    elif inside_rounded(x, y, 0.06, 0.1, 0.88, 0.84, 0.08):
        if y < 0.26:
            colour = (30, 90, 190, 255)  # title bar
        elif inside_rounded(x, y, 0.12, 0.3, 0.82, 0.78, 0.02):
            colour = (250, 250, 252, 255)  # client area
        else:
            colour = (30, 90, 190, 255)  # frame
    return colour


DRAWING = window_with_badge


def pixel(size, px, py):
    """Colour of one pixel, sampled 4x4 for smooth edges."""
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(4):
        for sx in range(4):
            x = (px + (sx + 0.5) / 4) / size
            y = (py + (sy + 0.5) / 4) / size
            colour = DRAWING(x, y)
            if colour:
                a = colour[3] / 255.0
                for i in range(3):
                    acc[i] += colour[i] * a
                acc[3] += a
    alpha = acc[3] / 16
    if alpha == 0:
        return (0, 0, 0, 0)
    return tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(alpha * 255)),)


def png(size):
    rows = b""
    for py in range(size):
        rows += b"\0" + b"".join(bytes(pixel(size, px, py)) for px in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def main(path):
    images = [png(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    arguments = sys.argv[1:]
    if arguments[:1] == ["--wait"]:
        DRAWING = hourglass
        main(arguments[1] if len(arguments) > 1 else "src/resources/Wait.ico")
    else:
        main(arguments[0] if arguments else "src/resources/KV2.ico")
