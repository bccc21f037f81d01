#!/usr/bin/python3
"""Samples the GeoTIFF of the sample-map export session (GeoTiffExportTest.cpp)
with GDAL's gdallocationinfo at the map positions of the points saved in the
same session: each must be opaque and have the colour of the mark it was
digitised on.

Usage: check_geotiff_gdal.py FOLDER (holding marks.shp, marks.tif, marks.expected)
"""
import os
import subprocess
import sys

import shapefile

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
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
