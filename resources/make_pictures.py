#!/usr/bin/env python3
"""Draws Vantrel's pictures (lamps, dial, button glyphs) as PNG files in pictures/.

Run it again after changing a drawing; the PNG files are committed beside it.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def save_png(name, width, height, pixel):
    rows = b""
    for y in range(height):
        rows += b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9))
    png += chunk(b"IEND", b"")
    with open(os.path.join(HERE, "pictures", name), "wb") as f:
        f.write(png)


OLIVE = (128, 128, 0, 255)


def lamp(name, color, lit):
    def pixel(x, y):
        d = math.hypot(x - 7, y - 7)
        if d > 7.2:
            return OLIVE
        if d > 5.6:
            return (64, 64, 64, 255)  # bezel
        if lit:
            if math.hypot(x - 5.5, y - 5.5) < 1.6:
                return (255, 255, 255, 255)  # highlight
            return color + (255,)
        return tuple(c // 4 for c in color) + (255,)

    save_png(name, 15, 15, pixel)


LAMPS = {
    "red": (255, 0, 0),
    "green": (0, 230, 0),
    "blue": (40, 90, 255),
    "yellow": (255, 230, 0),
    "purple": (190, 0, 220),
    "bulb": (255, 250, 200),
}


def dial():
    cx, cy = 33, 35
    ticks = []
    for k in range(9):
        a = math.pi * k / 8  # 0 rightmost, pi leftmost
        ticks.append(a)

    def pixel(x, y):
        d = math.hypot(x - 32.5, y - 32.5)
        if d > 32.5:
            return (0, 0, 0, 0)
        if d > 30.5:
            return (150, 150, 150, 255)  # rim
        if math.hypot(x - cx, y - cy) < 3.2:
            return (200, 200, 200, 255)  # hub
        r = math.hypot(x - cx, y - cy)
        if y <= cy and 22 <= r <= 28:
            a = math.atan2(cy - y, x - cx)
            for k, t in enumerate(ticks):
                if abs(a - t) * r < 1.1:
                    if k == 8:
                        return (255, 40, 40, 255)
                    return (255, 255, 255, 255)
        return (30, 34, 40, 255)

    save_png("dial.png", 66, 66, pixel)


def glyph(name, inside, color=(0, 0, 0, 255)):
    save_png(name, 16, 16, lambda x, y: color if inside(x, y) else (0, 0, 0, 0))


def sheet(lines):
    def inside(x, y):
        if not (3 <= x <= 12 and 1 <= y <= 14):
            return False
        border = x in (3, 12) or y in (1, 14)
        text = lines and 5 <= x <= 10 and y in (4, 6, 8, 10, 12)
        return border or text

    return inside


if __name__ == "__main__":
    os.makedirs(os.path.join(HERE, "pictures"), exist_ok=True)
    for key, color in LAMPS.items():
        lamp("led_%s_on.png" % key, color, True)
        lamp("led_%s_off.png" % key, color, False)
    dial()
    glyph("play.png", lambda x, y: 4 <= x <= 12 and abs(y - 7.5) <= (12 - x) * 0.75)
    glyph("stop.png", lambda x, y: 3 <= x <= 12 and 3 <= y <= 12)
    glyph("new.png", sheet(False))
    glyph("edit.png", sheet(True))
