#!/usr/bin/python3
"""Reads the shapefile of the vertex-editing session (VertexEditSessionTest.cpp)
with GDAL, and checks that each polygon's corners lie where GDAL puts the
centres of the pixels the session left them on (the moved vertex where it was
dropped, the inserted one on its segment, the deleted one gone), and that a
vertex snapped onto the first polygon's vertex is the very same pair of
doubles in both polygons.

Usage: check_vertex_edit_session.py SESSION_FOLDER GEOTIFF
"""
import os
import sys

from osgeo import gdal, ogr

gdal.UseExceptions()
ogr.UseExceptions()


def main(folder, geotiff):
    g = gdal.Open(geotiff).GetGeoTransform()

    def centre(column, row):
        return (g[0] + g[1] * (column + 0.5) + g[2] * (row + 0.5), g[3] + g[4] * (column + 0.5) + g[5] * (row + 0.5))

    expected = {}
    with open(os.path.join(folder, "vertexedit.expected")) as f:
        for line in f.read().splitlines():
            name, pixels = line.split("|")
            expected[name] = [tuple(int(v) for v in p.split(",")) for p in pixels.split()]
    source = ogr.Open(os.path.join(folder, "vertexedit.shp"))
    layer = source.GetLayer(0)
    rings = {}
    for feature in layer:
        polygon = feature.GetGeometryRef().Clone()
        ring = polygon.GetGeometryRef(0)
        rings[feature.GetField("NAME")] = [ring.GetPoint_2D(i) for i in range(ring.GetPointCount())]
    faults = []
    if sorted(rings) != sorted(expected):
        faults.append("features %s, expected %s" % (sorted(rings), sorted(expected)))
    for name, pixels in expected.items():
        got = rings.get(name, [])
        if len(got) != len(pixels):
            faults.append("%s: %d vertices, expected %d" % (name, len(got), len(pixels)))
            continue
        # A writer may turn a ring round to its own sense.
        if got[1:2] != [] and abs(got[1][0] - centre(*pixels[1])[0]) > 1e-6:
            got = got[::-1]
        for (x, y), pixel in zip(got, pixels):
            cx, cy = centre(*pixel)
            if abs(x - cx) > 1e-6 or abs(y - cy) > 1e-6:
                faults.append("%s: pixel %s at %.6f %.6f, expected %.6f %.6f" % (name, pixel, x, y, cx, cy))
    # The snapped vertex: the first corner of B on the moved corner of A, bit for bit.
    a, b = rings.get("A", []), rings.get("B", [])
    moved = centre(110, 90)
    shared = [p for p in a if abs(p[0] - moved[0]) < 1e-6 and abs(p[1] - moved[1]) < 1e-6]
    if not shared or shared[0] not in b:
        faults.append("the snapped vertex is not the same in both polygons: A %s, B %s" % (shared, b))
    for fault in faults:
        print("FAIL " + fault)
    print("%d polygons checked, %d faults" % (len(expected), len(faults)))
    return 1 if faults or not expected else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
