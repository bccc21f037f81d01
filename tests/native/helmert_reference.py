#!/usr/bin/python3
"""An independent least-squares Helmert fit: reads "column row x y" lines on
standard input and prints x0 a b y0 of

    x = x0 + a column + b row,   y = y0 + b column - a row

(a similarity that keeps the image's rows running down the map), solved as
one overdetermined linear system with numpy's lstsq (SVD), not by the
closed form the program uses. Pixels and map coordinates are taken about
their means first: map coordinates in the millions would otherwise cost
the SVD six digits.
"""
import sys

import numpy as np


def main():
    data = np.array([[float(v) for v in line.split()] for line in sys.stdin.read().split("\n") if line.strip()])
    mean = data.mean(axis=0)
    c, r, x, y = (data - mean).T
    rows = np.concatenate([np.c_[c, r], np.c_[-r, c]])     # x: a c + b r;  y: -a r + b c
    rhs = np.concatenate([x, y])
    (a, b), _, _, _ = np.linalg.lstsq(rows, rhs, rcond=None)
    x0 = mean[2] - a * mean[0] - b * mean[1]
    y0 = mean[3] - b * mean[0] + a * mean[1]
    print(" ".join(repr(float(v)) for v in (x0, a, b, y0)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
