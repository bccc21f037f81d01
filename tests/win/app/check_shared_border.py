#!/usr/bin/python3
"""Reads the two polygons of the shared-border session (TraceSessionTest.cpp)
with GDAL and asks GEOS whether they lie side by side: touching (no interior
in common), meeting along the whole of the border B took from A (the line
they share is as long as A's stretch), with no overlap (no area in common)
and no gap (the union's area is the sum of the two, in one piece without a
hole); SpatiaLite (ogrinfo -dialect sqlite, ST_Touches) is asked too; and whether each shared corner is the same pair of doubles in both.

Usage: check_shared_border.py SESSION_FOLDER
"""
import os
import re
import subprocess
import sys

from osgeo import gdal, ogr

gdal.UseExceptions()
ogr.UseExceptions()

# The pixels of A's corners the session's Trace Neighbour took into B.
STRETCH = [(100, 20), (110, 60), (95, 110), (100, 150)]


def main(folder):
    source = ogr.Open(os.path.join(folder, "shared.shp"))
    layer = source.GetLayer(0)
    polygons = {f.GetField("NAME"): f.GetGeometryRef().Clone() for f in layer}
    faults = []
    a, b = polygons.get("A"), polygons.get("B")
    if a is None or b is None:
        print("FAIL polygons %s, expected A and B" % sorted(polygons))
        return 1
    touching = a.Touches(b)
    common = a.Intersection(b)
    overlap = common.GetArea() if common.GetDimension() == 2 else 0.0
    union = a.Union(b)
    gap = a.GetArea() + b.GetArea() - union.GetArea()
    # The stretch of A's border B took: the centres of its corners' pixels.
    g = gdal.Open(os.path.join(folder, "shared.tif")).GetGeoTransform()
    stretch = ogr.Geometry(ogr.wkbLineString)
    for column, row in STRETCH:
        stretch.AddPoint_2D(g[0] + g[1] * (column + 0.5) + g[2] * (row + 0.5),
                            g[3] + g[4] * (column + 0.5) + g[5] * (row + 0.5))
    shared_length = common.Length() if common.GetGeometryType() != ogr.wkbPolygon else 0.0
    rings = union.GetGeometryCount() if union.GetGeometryName() == "POLYGON" else -1
    print("touches %s, shared border %.6f of %.6f, common area %.9f, union minus sum %.9f, union %s with %d rings"
          % (touching, shared_length, stretch.Length(), overlap, gap, union.GetGeometryName(), rings))
    if not touching:
        faults.append("A and B do not touch")
    if abs(shared_length - stretch.Length()) > 1e-6:
        faults.append("they share %.6f of the %.6f border" % (shared_length, stretch.Length()))
    if overlap > 1e-9 or abs(gap) > 1e-6:
        faults.append("overlap %.9f, gap %.9f" % (overlap, gap))
    if rings != 1:
        faults.append("the union is %s with %d rings, not one polygon without a hole" % (union.GetGeometryName(), rings))
    # A second opinion: SpatiaLite through OGR's SQLite dialect.
    sql = ("SELECT ST_Touches(a.geometry, b.geometry) AS touches, ST_Length(ST_Intersection(a.geometry, b.geometry)) "
           "AS shared FROM shared a, shared b WHERE a.NAME = 'A' AND b.NAME = 'B'")
    answer = subprocess.run(["ogrinfo", "-q", os.path.join(folder, "shared.shp"), "-dialect", "sqlite", "-sql", sql],
                            capture_output=True, text=True, check=True).stdout
    fields = dict(re.findall(r"(\w+) \(\w+\) = (\S+)", answer))
    print("ogrinfo -dialect sqlite: ST_Touches %s, shared length %s" % (fields.get("touches"), fields.get("shared")))
    if fields.get("touches") != "1" or abs(float(fields.get("shared", "0")) - stretch.Length()) > 1e-6:
        faults.append("SpatiaLite says touches %s, shared %s" % (fields.get("touches"), fields.get("shared")))
    ring_a, ring_b = a.GetGeometryRef(0), b.GetGeometryRef(0)
    corners_a = set(ring_a.GetPoint_2D(i) for i in range(ring_a.GetPointCount()))
    corners_b = set(ring_b.GetPoint_2D(i) for i in range(ring_b.GetPointCount()))
    if len(corners_a & corners_b) != len(STRETCH):
        faults.append("%d corners the same in both, bit for bit; expected %d"
                      % (len(corners_a & corners_b), len(STRETCH)))
    for fault in faults:
        print("FAIL " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
