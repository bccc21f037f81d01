#!/usr/bin/python3
"""Draws the three frames of the copy animation (frame1.bmp .. frame3.bmp):
37 x 32 pixels, 4 bits per pixel, the standard 16-colour palette.

A small file at the upper left, a curved arrow over the top and a database
drum at the lower right. From frame 1 to frame 3 the green band of the file
empties, the top of the drum fills, and the arrow's highlight moves along.
Run it again after changing a drawing; the .bmp files are committed.
"""
import os
import struct

W, H = 37, 32
PALETTE = [  # (r, g, b), the Windows 16-colour order
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, LIGHT_GREY, DARK_GREY, WHITE = 0, 2, 7, 8, 15

# The arrow's path from the file's top edge over to the drum, then its head.
ARROW = [(12, 5), (13, 4), (14, 3), (15, 2), (16, 2), (17, 2), (18, 2), (19, 2), (20, 2),
         (21, 2), (22, 3), (23, 3), (24, 4), (25, 5), (26, 6), (27, 7), (27, 8), (27, 9)]
HEAD = [(25, 9), (26, 9), (28, 9), (29, 9), (26, 10), (27, 10), (28, 10), (27, 11)]


def draw(frame):
    px = [[LIGHT_GREY] * W for _ in range(H)]

    def put(x, y, c):
        if 0 <= x < W and 0 <= y < H:
            px[y][x] = c

    # Raised edge: white top and left, dark grey bottom and right.
    for x in range(W):
        put(x, 0, WHITE)
        put(x, H - 1, DARK_GREY)
    for y in range(H):
        put(0, y, WHITE)
        put(W - 1, y, DARK_GREY)

    # The file: a white sheet with a black outline, a folded corner,
    # a green band at the top that empties, grey lines of text below it.
    left, top, right, bottom = 3, 6, 14, 21
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            put(x, y, BLACK if edge else WHITE)
    for i in range(3):  # folded corner
        put(right - i, top + 2 - i, LIGHT_GREY)
        put(right - 2 + i, top, LIGHT_GREY if i else BLACK)
    put(right - 2, top + 1, BLACK)
    put(right - 2, top + 2, BLACK)
    put(right - 1, top + 2, BLACK)
    band_width = [8, 4, 0][frame]
    for y in range(top + 2, top + 5):
        for x in range(left + 2, left + 2 + band_width):
            put(x, y, DARK_GREEN)
    for y in range(top + 7, bottom - 1, 2):
        for x in range(left + 2, right - 1):
            put(x, y, DARK_GREY)

    # The arrow: dark grey, with a black highlight of four pixels that moves along.
    start = [0, 6, 12][frame]
    for i, (x, y) in enumerate(ARROW):
        put(x, y, BLACK if start <= i < start + 6 else DARK_GREY)
    for x, y in HEAD:
        put(x, y, BLACK)

    # The drum: a cylinder with a black outline; its top ellipse and the
    # upper part of the body fill with dark green.
    dl, dt, dr, db = 20, 14, 33, 29
    cx = (dl + dr) / 2
    rx = (dr - dl) / 2
    ry = 2.5

    def ellipse_y(x, cy):
        t = 1 - ((x - cx) / rx) ** 2
        return ry * (t ** 0.5 if t > 0 else 0)

    top_cy = dt + ry
    bottom_cy = db - ry
    fill_depth = [0, 4, 9][frame]
    for x in range(dl, dr + 1):
        dy = ellipse_y(x, 0)
        y_top = int(round(top_cy - dy))
        y_top_front = int(round(top_cy + dy))
        y_bottom = int(round(bottom_cy + dy))
        for y in range(y_top, y_bottom + 1):
            if frame == 0:
                colour = WHITE
            elif y <= y_top_front + fill_depth:
                colour = DARK_GREEN
            else:
                colour = WHITE
            put(x, y, colour)
        put(x, y_top, BLACK)
        put(x, y_top_front, BLACK)
        put(x, y_bottom, BLACK)
    for y in range(int(top_cy), int(round(bottom_cy)) + 1):
        put(dl, y, BLACK)
        put(dr, y, BLACK)
    return px


def write_bmp(path, px):
    stride = ((W * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(px):  # bottom-up
        line = bytearray(stride)
        for x, c in enumerate(row):
            if x % 2 == 0:
                line[x // 2] |= c << 4
            else:
                line[x // 2] |= c
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for frame in range(3):
        write_bmp(os.path.join(here, "frame%d.bmp" % (frame + 1)), draw(frame))
