#!/usr/bin/python3
"""The outside measure beside bench_snap: the same 100,000 eight-corner
polygons in a GeoPackage layer with its R-tree (GDAL/OGR over SQLite), and
the same 200 points each looked up as a snap would be: the features whose
box meets the 10-pixel square round the point, and GEOS's distance to each.
Prints "features build-ms query-us-per-query hits".
"""
import math
import sys
import time

from osgeo import gdal, ogr

gdal.UseExceptions()
ogr.UseExceptions()


def main(count):
    path = "/vsimem/snap.gpkg"
    start = time.perf_counter()
    source = ogr.GetDriverByName("GPKG").CreateDataSource(path)
    layer = source.CreateLayer("features", geom_type=ogr.wkbPolygon)
    layer.StartTransaction()
    firsts = []
    for i in range(count):
        cx, cy = 40000.0 * math.fmod(i * 0.618034, 1.0), 40000.0 * math.fmod(i * 0.414214 + 0.1, 1.0)
        ring = ogr.Geometry(ogr.wkbLinearRing)
        for k in range(9):
            a = (k % 8) * 0.785398 + i
            x, y = int(cx + 40 * math.cos(a)), int(cy + 40 * math.sin(a))
            ring.AddPoint_2D(x, y)
            if k == 0:
                firsts.append((x, y))
        polygon = ogr.Geometry(ogr.wkbPolygon)
        polygon.AddGeometry(ring)
        feature = ogr.Feature(layer.GetLayerDefn())
        feature.SetGeometry(polygon)
        layer.CreateFeature(feature)
    layer.CommitTransaction()
    build_ms = (time.perf_counter() - start) * 1000
    queries, hits = 200, 0
    start = time.perf_counter()
    for q in range(queries):
        if q % 2:
            x, y = firsts[(q * 7919) % count]
            x, y = x + 3.0, y - 2.0
        else:
            x, y = 40000.0 * math.fmod(q * 0.3819, 1.0), 40000.0 * math.fmod(q * 0.7071, 1.0)
        point = ogr.Geometry(ogr.wkbPoint)
        point.AddPoint_2D(x, y)
        layer.SetSpatialFilterRect(x - 10, y - 10, x + 10, y + 10)
        near = [f.GetGeometryRef().Boundary().Distance(point) for f in layer]
        hits += any(d <= 10 for d in near)
    query_us = (time.perf_counter() - start) * 1e6 / queries
    print("%d %.1f %.1f %d" % (count, build_ms, query_us, hits))
    source = None
    gdal.Unlink(path)


if __name__ == "__main__":
    for n in [int(a) for a in sys.argv[1:]] or [1000, 10000, 100000]:
        main(n)
