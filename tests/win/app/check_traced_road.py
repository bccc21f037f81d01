#!/usr/bin/python3
"""Reads the road of the tracing session (TraceSessionTest.cpp) with GDAL and
measures it against the true course samples/make_traced_road.py drew: the
largest distance from any point of either line to the other (both densified
to a tenth of a pixel, distances by GEOS) must be within one pixel. Prints
it with the session's clicks and the clicks tracing by hand would take at
least: the corners of the true course simplified to within one pixel (GEOS).

Usage: check_traced_road.py SESSION_FOLDER SAMPLE_FOLDER
"""
import os
import sys

from osgeo import gdal, ogr

gdal.UseExceptions()
ogr.UseExceptions()


def farthest(a, b):
    dense = a.Clone()
    dense.Segmentize(0.1)
    point = ogr.Geometry(ogr.wkbPoint)
    worst = 0.0
    for i in range(dense.GetPointCount()):
        point.SetPoint_2D(0, *dense.GetPoint_2D(i))
        worst = max(worst, b.Distance(point))
    return worst


def main(folder, sample):
    g = gdal.Open(os.path.join(sample, "traced_road.tif")).GetGeoTransform()
    truth = ogr.Geometry(ogr.wkbLineString)
    for line in open(os.path.join(sample, "traced_road.truth")):
        column, row = map(float, line.split())
        truth.AddPoint_2D(column, row)
    source = ogr.Open(os.path.join(folder, "traced_road.shp"))
    features = list(source.GetLayer(0))
    if len(features) != 1:
        print("FAIL %d features, expected the road" % len(features))
        return 1
    line = features[0].GetGeometryRef()
    # The writer puts pixel (c, r) at its centre; back to pixels.
    traced = ogr.Geometry(ogr.wkbLineString)
    for i in range(line.GetPointCount()):
        x, y = line.GetPoint_2D(i)
        traced.AddPoint_2D((x - g[0]) / g[1] - 0.5, (y - g[3]) / g[5] - 0.5)
    distance = max(farthest(traced, truth), farthest(truth, traced))
    clicks = int(open(os.path.join(folder, "traced_road.expected")).read().split()[0])
    by_hand = truth.Simplify(1.0).GetPointCount()
    print("traced road: %d vertices from %d clicks; at most %.3f pixels from the truth; by hand at least %d clicks"
          % (traced.GetPointCount(), clicks, distance, by_hand))
    if distance > 1.0:
        print("FAIL the traced road leaves the truth by %.3f pixels" % distance)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
