#!/usr/bin/python3
"""Samples the GeoTIFF of the sample-map export session (GeoTiffExportTest.cpp)
with GDAL's gdallocationinfo at the map positions of the points saved in the
same session: each must be opaque and have the colour of the mark it was
digitised on. Then reads the export of the scan reopened with four points
(four.tif) with gdalinfo: its grid must be the one numpy's affine fit of the
same points gives (the box of the scan's outer corners, the pixel's ground
size along a row).

Usage: check_geotiff_gdal.py FOLDER (holding marks.shp, marks.tif, marks.expected, four.tif)
"""
import json
import math
import os
import subprocess
import sys

import numpy
import shapefile

# The points the session wrote in four.tvg: easting, northing, column, row.
FOUR_POINTS = [(7.0, 45.0, 218, 1347), (7.25, 45.0, 1898, 1242),
               (7.0, 45.166667, 148, 227), (7.25, 45.166667, 1829, 121)]


def check_four(folder):
    """0 when four.tif has the grid of an affine least-squares fit of FOUR_POINTS."""
    info = json.loads(subprocess.run(["gdalinfo", "-json", os.path.join(folder, "four.tif")],
                                     check=True, capture_output=True, text=True).stdout)
    width, height = json.loads(subprocess.run(["gdalinfo", "-json", os.path.join(folder, "four.jpg")], check=True,
                                              capture_output=True, text=True).stdout)["size"]
    design = numpy.array([[1.0, c, r] for _, _, c, r in FOUR_POINTS])
    cx = numpy.linalg.lstsq(design, numpy.array([p[0] for p in FOUR_POINTS]), rcond=None)[0]
    cy = numpy.linalg.lstsq(design, numpy.array([p[1] for p in FOUR_POINTS]), rcond=None)[0]
    corners = [(c, r) for c in (-0.5, width - 0.5) for r in (-0.5, height - 0.5)]
    xs = [cx[0] + cx[1] * c + cx[2] * r for c, r in corners]
    ys = [cy[0] + cy[1] * c + cy[2] * r for c, r in corners]
    size = math.hypot(cx[1], cy[1])
    expected = [min(xs), size, 0.0, max(ys), 0.0, -size]
    cells = [math.ceil((max(xs) - min(xs)) / size - 1e-9), math.ceil((max(ys) - min(ys)) / size - 1e-9)]
    got = info["geoTransform"]
    ok = (all(abs(a - b) <= 1e-9 * max(1.0, abs(b)) for a, b in zip(got, expected)) and info["size"] == cells
          and "4326" in json.dumps(info.get("coordinateSystem", {})) and len(info["bands"]) == 4)
    print("four.tif: geotransform %s, size %s; numpy's fit: %s, %s%s" % (got, info["size"], expected, cells,
                                                                           "" if ok else "  <-- wrong"))
    return 0 if ok else 1

TOLERANCE = 45  # the scan's JPEG noise around the drawn colour


def main(folder):
    with open(os.path.join(folder, "marks.expected"), encoding="latin-1") as f:
        expected = {name: [int(v) for v in colour.split()]
                    for name, colour in (line.split("|") for line in f.read().splitlines())}
    failures = 0
    with shapefile.Reader(os.path.join(folder, "marks.shp"), encoding="latin-1") as shp:
        failures += len(shp) != len(expected)
        for record in shp.iterShapeRecords():
            name, (x, y) = record.record["NAME"], record.shape.points[0]
            out = subprocess.run(["gdallocationinfo", "-valonly", "-geoloc", os.path.join(folder, "marks.tif"),
                                  repr(x), repr(y)], check=True, capture_output=True, text=True).stdout
            rgba = [int(v) for v in out.split()]
            ok = len(rgba) == 4 and rgba[3] == 255 and all(abs(a - b) <= TOLERANCE
                                                           for a, b in zip(rgba, expected[name]))
            print("%-14s at %.6f, %.6f: %s, drawn %s%s" % (name, x, y, rgba, expected[name], "" if ok else "  <-- wrong"))
            failures += not ok
    failures += check_four(folder)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
