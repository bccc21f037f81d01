#!/usr/bin/python3
"""Reads a polygon with a hole that our writers saved, with GDAL (the
Shapefile, the GeoPackage and ogr2ogr's GeoJSON of each), pyshp and
shapelib's shpdump, and says what is not as it must be: one polygon of one
hole, valid, of the area given, rings turned as each format wants (the
Shapefile's outer ring clockwise and its hole anticlockwise; the
GeoPackage's exterior anticlockwise and its interior clockwise).

Usage: check_holes.py FILE.shp FILE.gpkg AREA
Prints "ok", or one line a problem.
"""
import json
import subprocess
import sys

import shapefile
from osgeo import ogr

ogr.UseExceptions()
shp, gpkg, area = sys.argv[1], sys.argv[2], float(sys.argv[3])
problems = []


def signed_area(points):
    return sum(a[0] * b[1] - b[0] * a[1] for a, b in zip(points, points[1:])) / 2


def check_ogr(path, outer_clockwise):
    source = ogr.Open(path)
    layer = source.GetLayer(0)
    if layer.GetFeatureCount() != 1:
        problems.append("%s: %d features" % (path, layer.GetFeatureCount()))
        return
    feature = layer.GetNextFeature()
    geometry = feature.GetGeometryRef()
    if geometry.GetGeometryName() != "POLYGON" or geometry.GetGeometryCount() != 2:
        problems.append("%s: %s of %d rings" % (path, geometry.GetGeometryName(), geometry.GetGeometryCount()))
        return
    if not geometry.IsValid():
        problems.append("%s: not valid" % path)
    if abs(geometry.GetArea() - area) > 1e-6 * area:
        problems.append("%s: area %r" % (path, geometry.GetArea()))
    turns = [signed_area(geometry.GetGeometryRef(r).GetPoints()) < 0 for r in range(2)]
    if turns != [outer_clockwise, not outer_clockwise]:
        problems.append("%s: rings clockwise %r" % (path, turns))
    # ogr2ogr's GeoJSON of it: one polygon of two rings.
    text = subprocess.run(["ogr2ogr", "-f", "GeoJSON", "/vsistdout/", path], capture_output=True, text=True).stdout
    features = json.loads(text)["features"]
    if len(features) != 1 or features[0]["geometry"]["type"] != "Polygon" or len(
            features[0]["geometry"]["coordinates"]) != 2:
        problems.append("%s: GeoJSON %s" % (path, text[:200]))


check_ogr(shp, True)
check_ogr(gpkg, False)

reader = shapefile.Reader(shp[:-4])
shape = reader.shape(0)
if reader.shapeType != 5 or len(shape.parts) != 2:
    problems.append("pyshp: type %d, parts %r" % (reader.shapeType, shape.parts))
else:
    rings = [shape.points[shape.parts[0]:shape.parts[1]], shape.points[shape.parts[1]:]]
    if not (shapefile.signed_area(rings[0]) < 0 < shapefile.signed_area(rings[1])):
        problems.append("pyshp: ring areas %r" % [shapefile.signed_area(r) for r in rings])
dump = subprocess.run(["shpdump", shp], capture_output=True, text=True).stdout
if "nParts=2" not in dump:
    problems.append("shpdump: " + dump[:300])

print("\n".join(problems) if problems else "ok")
