#!/usr/bin/python3
"""Reads the shapefiles of the sessions on the true-proportion sample
(TrueProportionSessionTest.cpp) with GDAL's ogrinfo and measures, in metres
on the ground, how far every vertex lies from the sheet's true georeference
of the pixel that was clicked. The affine run must keep every vertex within
half a pixel's ground size; the run with the first model must show its bias
(more than five pixels somewhere). Prints both.

Usage: check_true_proportion_session.py SESSION_FOLDER TRUTH_JSON
"""
import json
import math
import os
import sys

from check_session_shapefiles import read_expected, read_features, true_lonlat


def read_lines(shp):
    features = []
    for _, name, wkt, coords in read_features(shp)[2]:
        if wkt != "LINESTRING":
            raise ValueError("%s: %s %r, expected a LINESTRING" % (shp, wkt, name))
        features.append((name, coords))
    return features


def worst_metres(folder, kind, truth):
    expected = read_expected(os.path.join(folder, kind + ".expected"))
    features = read_lines(os.path.join(folder, kind + ".shp"))
    if [name for name, _ in features] != [name for name, _ in expected]:
        raise ValueError("%s: features %r, expected %r" % (kind, [n for n, _ in features], [n for n, _ in expected]))
    worst, count = 0.0, 0
    for (_, coords), (_, pixels) in zip(features, expected):
        if len(coords) != len(pixels):
            raise ValueError("%s: %d vertices, expected %d" % (kind, len(coords), len(pixels)))
        for (x, y), (c, r) in zip(coords, pixels):
            lon, lat = true_lonlat(truth, c, r)
            worst = max(worst, math.hypot((x - lon) * truth["metres_per_degree_lon"],
                                          (y - lat) * truth["metres_per_degree_lat"]))
            count += 1
    return worst, count


def main():
    folder, truth_path = sys.argv[1], sys.argv[2]
    with open(truth_path) as f:
        truth = json.load(f)
    pixel = truth["pixel_ground_size_m"]
    errors = []
    affine, n = worst_metres(folder, "true-affine", truth)
    print("affine fit: %d vertices, farthest %.3f m (%.3f px) from the truth; allowed %.3f m"
          % (n, affine, affine / pixel, truth["tolerance_half_pixel_m"]))
    if not affine <= truth["tolerance_half_pixel_m"]:
        errors.append("affine fit: a vertex %.3f m from the truth" % affine)
    first, n = worst_metres(folder, "true-first", truth)
    print("first model: %d vertices, farthest %.1f m (%.1f px) from the truth" % (n, first, first / pixel))
    if not first > 5 * pixel:
        errors.append("first model: no vertex more than five pixels off (%.2f px)" % (first / pixel))
    for error in errors:
        print("FAIL " + error)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
