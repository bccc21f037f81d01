#!/usr/bin/python3
"""Reads the polygon with a hole of the hole session (HoleSessionTest.cpp)
with GDAL, from the Shapefile and the GeoPackage it saved: one polygon
named "pond" with one interior ring, valid, the rings where the clicks put
them (pixel centres through the scan's geotransform) and turned as each
format wants (the Shapefile's outer ring clockwise, the GeoPackage's
exterior anticlockwise).

Usage: check_hole_session.py SESSION_FOLDER
"""
import os
import sys

from osgeo import gdal, ogr

gdal.UseExceptions()
ogr.UseExceptions()

OUTER = [(20, 20), (200, 20), (200, 200), (20, 200)]
HOLE = [(60, 60), (120, 60), (90, 120)]


def signed_area(points):
    return sum(a[0] * b[1] - b[0] * a[1] for a, b in zip(points, points[1:])) / 2


def main(folder):
    g = gdal.Open(os.path.join(folder, "holes.tif")).GetGeoTransform()
    to_map = lambda c, r: (g[0] + (c + 0.5) * g[1] + (r + 0.5) * g[2], g[3] + (c + 0.5) * g[4] + (r + 0.5) * g[5])
    expected = [sorted(to_map(*p) for p in ring) for ring in (OUTER, HOLE)]
    faults = []
    for name, outer_clockwise in (("holes.shp", True), ("holes.gpkg", False)):
        source = ogr.Open(os.path.join(folder, name))   # the layer lives as long as this
        layer = source.GetLayer(0)
        features = list(layer)
        if len(features) != 1 or features[0].GetField("NAME") != "pond":
            faults.append("%s: %d features" % (name, len(features)))
            continue
        polygon = features[0].GetGeometryRef()
        if polygon.GetGeometryName() != "POLYGON" or polygon.GetGeometryCount() != 2 or not polygon.IsValid():
            faults.append("%s: %s" % (name, polygon.ExportToWkt()))
            continue
        for r in range(2):
            points = [p[:2] for p in polygon.GetGeometryRef(r).GetPoints()]
            corners = sorted(points[:-1])
            if len(corners) != len(expected[r]) or any(
                    abs(a - b) > 1e-6 for p, q in zip(corners, expected[r]) for a, b in zip(p, q)):
                faults.append("%s: ring %d at %r, expected %r" % (name, r, corners, expected[r]))
            if (signed_area(points) < 0) != (outer_clockwise if r == 0 else not outer_clockwise):
                faults.append("%s: ring %d turns the wrong way" % (name, r))
    for fault in faults:
        print("FAIL " + fault)
    if not faults:
        print("ok: one polygon with its hole in both files")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
