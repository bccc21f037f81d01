#!/usr/bin/python3
"""Writes the program icon (quarvex.ico) and the digitise cursor
(digitise.cur) beside this script. Run again after changing a drawing;
the outputs are committed so the build needs no image tools."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 32


def bitmap_header(width, height, bits, colours=0):
    # The height counts the colour bitmap and the AND mask together.
    return struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def and_mask(opaque):
    """1 bit a pixel, rows bottom-up, each padded to 4 bytes; 1 = transparent."""
    out = bytearray()
    for y in reversed(range(SIZE)):
        row = 0
        for x in range(SIZE):
            if not opaque(x, y):
                row |= 1 << (SIZE - 1 - x)
        out += row.to_bytes(4, 'big')
    return bytes(out)


def icon_pixel(x, y):
    """A folded map sheet: paper, a river, a wood, a control point cross."""
    if x in (1, 30) or y in (3, 28):
        return (60, 60, 60)
    if not (1 < x < 30 and 3 < y < 28):
        return None
    if abs(x - 20) + abs(y - 9) <= 5:
        return (60, 140, 60)                      # wood
    if abs((y - 4) - (x // 2 + (x % 7) // 3)) <= 1:
        return (40, 90, 200)                      # river
    if abs(x - y + 2) == 0 and 6 <= x <= 14 or abs(x + y - 38) == 0 and 6 <= x <= 14:
        return (128, 0, 0)                        # control point marker
    return (245, 235, 200) if x % 8 else (210, 200, 170)


def write_icon(path):
    pixels = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(SIZE):
            r, g, b = icon_pixel(x, y) or (0, 0, 0)
            pixels += bytes((b, g, r))
    image = bitmap_header(SIZE, SIZE, 24) + bytes(pixels) + and_mask(lambda x, y: icon_pixel(x, y) is not None)
    header = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 24, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(header + entry + image)


HOT_X, HOT_Y = 17, 16


def cursor_black(x, y):
    """Two one-pixel diagonals through the hot spot, open around it."""
    dx, dy = x - HOT_X, y - HOT_Y
    return (abs(dx) == abs(dy)) and 3 <= abs(dx) <= 10


def write_cursor(path):
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    xor = bytes(4 * SIZE)   # black where drawn, transparent elsewhere (by the AND mask)
    image = bitmap_header(SIZE, SIZE, 1, 2) + palette + xor + and_mask(cursor_black)
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, HOT_X, HOT_Y, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(header + entry + image)


if __name__ == '__main__':
    write_icon(os.path.join(HERE, 'quarvex.ico'))
    write_cursor(os.path.join(HERE, 'digitise.cur'))
