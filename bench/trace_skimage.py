#!/usr/bin/python3
"""The outside measure beside bench_trace: scikit-image's route_through_array
(Dijkstra's minimum-cost path, 8-connected, geometric steps) over the window
bench_trace searched for its longest move, with the same pixel costs (1 on
the line's colour, 100 furthest from it), timed; and the largest distance
between its path and ours in pixels (two optimal paths over near-equal
costs may run a pixel apart). Prints "window-pixels ms cpu-ms path-hausdorff-px".
"""
import os
import sys
import time

import numpy as np
from skimage.graph import route_through_array


def main(folder):
    width, height, fx, fy, tx, ty, *colour = map(int, open(os.path.join(folder, "window.txt")).read().split())
    rgb = np.fromfile(os.path.join(folder, "window.rgb"), np.uint8).reshape(height, width, 3).astype(np.float64)
    start, cpu_start = time.perf_counter(), time.process_time()
    cost = 1.0 + 99.0 * ((rgb - np.array(colour, np.float64)) ** 2).sum(axis=2) / (3 * 255.0 ** 2)
    path, _ = route_through_array(cost, (fy, fx), (ty, tx), fully_connected=True, geometric=True)
    ms, cpu_ms = (time.perf_counter() - start) * 1000, (time.process_time() - cpu_start) * 1000
    theirs = np.array([(c, r) for r, c in path], np.float64)
    ours = np.loadtxt(os.path.join(folder, "path.txt"))

    def farthest(a, b):
        worst = 0.0
        for chunk in np.array_split(a, max(1, len(a) // 512)):
            d = np.sqrt(((chunk[:, None, :] - b[None, :, :]) ** 2).sum(axis=2)).min(axis=1)
            worst = max(worst, d.max())
        return worst

    print("%d %.1f %.1f %.2f" % (width * height, ms, cpu_ms, max(farthest(ours, theirs), farthest(theirs, ours))))


if __name__ == "__main__":
    main(sys.argv[1])
