#!/usr/bin/python3
"""Makes a synthetic scan for tracing lines: a winding black road of known
course on paper with scanner noise, crossed by a second black road, a blue
river, brown contours and a faint grid, georeferenced by GDAL (1 m pixels in
UTM zone 33N) so that it can be digitised at once.

Beside the GeoTIFF go the road's true course in image pixels
(traced_road.truth: one "column row" pair a line, the pixel centres the
road is drawn around) and the clicks a tracing session makes along it
(traced_road.clicks: the first truth vertex, then one about every
CLICK_SPACING pixels along the road, the last vertex last).

Usage: make_traced_road.py OUTPUT_FOLDER
Run with /usr/bin/python3 (Debian's python3-numpy and python3-gdal); the
output is the same on every run.
"""

import math
import os
import sys

import numpy as np
from osgeo import gdal, osr

WIDTH, HEIGHT = 1500, 1000
PAPER = (242, 236, 220)
CLICK_SPACING = 450.0   # pixels of road between two clicks
ROAD_VERTICES = 400


def road():
    """The road's course: x grows along it, so a north-south line crosses it once."""
    points = []
    for i in range(ROAD_VERTICES):
        t = i / (ROAD_VERTICES - 1)
        x = 60 + 1380 * t + 40 * math.sin(2 * math.pi * 3 * t)
        y = 500 + 250 * math.sin(2 * math.pi * 1.5 * t) + 60 * math.sin(2 * math.pi * 5 * t)
        points.append((int(round(x)), int(round(y))))
    # Rounding may repeat a vertex; a repeat is no vertex of its own.
    return [p for i, p in enumerate(points) if i == 0 or p != points[i - 1]]


def ink_of_polyline(ink, points, full, fade):
    """Darkens ink (0 paper .. 1 full colour) along the polyline: full within
    `full` pixels of it, fading to nothing `fade` pixels further out."""
    reach = full + fade
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        x0, x1 = int(max(0, min(ax, bx) - reach - 1)), int(min(WIDTH - 1, max(ax, bx) + reach + 1))
        y0, y1 = int(max(0, min(ay, by) - reach - 1)), int(min(HEIGHT - 1, max(ay, by) + reach + 1))
        if x0 > x1 or y0 > y1:
            continue
        ys, xs = np.mgrid[y0:y1 + 1, x0:x1 + 1].astype(np.float64)
        vx, vy = bx - ax, by - ay
        length2 = vx * vx + vy * vy
        t = np.clip(((xs - ax) * vx + (ys - ay) * vy) / length2, 0, 1) if length2 else np.zeros_like(xs)
        d = np.hypot(xs - (ax + t * vx), ys - (ay + t * vy))
        here = np.clip((full + fade - d) / fade, 0, 1)
        ink[y0:y1 + 1, x0:x1 + 1] = np.maximum(ink[y0:y1 + 1, x0:x1 + 1], here)


def lay(image, ink, colour):
    for k in range(3):
        image[:, :, k] = image[:, :, k] * (1 - ink) + colour[k] * ink


def main(folder):
    rng = np.random.default_rng(24)
    image = np.empty((HEIGHT, WIDTH, 3), np.float64)
    for k in range(3):
        image[:, :, k] = PAPER[k]
    image += rng.normal(0, 4, image.shape)

    grid = np.zeros((HEIGHT, WIDTH))
    grid[::100, :] = 0.35
    grid[:, ::100] = 0.35
    lay(image, grid, (120, 150, 200))
    for level in range(6):
        contour = [(x, 80 + 150 * level + 30 * math.sin(x / 90.0 + level)) for x in range(0, WIDTH + 10, 10)]
        ink = np.zeros((HEIGHT, WIDTH))
        ink_of_polyline(ink, contour, 0.3, 1.0)
        lay(image, ink, (160, 110, 60))
    river = [(200 + 80 * math.sin(y / 120.0), y) for y in range(0, HEIGHT + 10, 10)]
    ink = np.zeros((HEIGHT, WIDTH))
    ink_of_polyline(ink, river, 1.5, 1.0)
    lay(image, ink, (40, 90, 200))

    course = road()
    ink = np.zeros((HEIGHT, WIDTH))
    ink_of_polyline(ink, course, 0.25, 1.5)
    ink_of_polyline(ink, [(1000, 0), (1040, HEIGHT - 1)], 0.25, 1.5)   # the crossing road
    lay(image, ink, (20, 20, 20))

    pixels = np.clip(np.round(image), 0, 255).astype(np.uint8)
    path = os.path.join(folder, "traced_road.tif")
    dataset = gdal.GetDriverByName("GTiff").Create(path, WIDTH, HEIGHT, 3, gdal.GDT_Byte,
                                                   ["COMPRESS=DEFLATE", "PHOTOMETRIC=RGB"])
    dataset.SetGeoTransform((400000.0, 1.0, 0.0, 5100000.0, 0.0, -1.0))
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(32633)
    dataset.SetProjection(srs.ExportToWkt())
    for k in range(3):
        dataset.GetRasterBand(k + 1).WriteArray(pixels[:, :, k])
    dataset = None

    with open(os.path.join(folder, "traced_road.truth"), "w") as f:
        f.write("".join("%d %d\n" % p for p in course))
    clicks, along, last = [course[0]], 0.0, course[0]
    for p in course[1:]:
        along += math.hypot(p[0] - last[0], p[1] - last[1])
        last = p
        if along >= CLICK_SPACING:
            clicks.append(p)
            along = 0.0
    if clicks[-1] != course[-1]:
        clicks.append(course[-1])
    with open(os.path.join(folder, "traced_road.clicks"), "w") as f:
        f.write("".join("%d %d\n" % p for p in clicks))


if __name__ == "__main__":
    main(sys.argv[1])
