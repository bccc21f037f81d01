#!/usr/bin/python3
"""Compares a Shapefile (or a GeoPackage layer) saved back by the program
with the one it opened, through GDAL, and reads a Shapefile with pyshp and
shapelib (shpdump -validate, dbfdump): the fields with their types, widths
and precisions, every feature and attribute identical but for the changes
named, and those as made. Prints each difference; exits 1 when there is one.

Usage: check_reopened.py BEFORE.shp AFTER.shp CHANGES_JSON [LAYER]
CHANGES_JSON: {"renamed": {"1": "new name"}, "moved": {"0": [dx, dy]},
               "added": [["name", [[x, y], ...]]]}   (map units)
"""
import json
import re
import subprocess
import sys

import shapefile
from osgeo import ogr

ogr.UseExceptions()
before_path, after_path, changes = sys.argv[1], sys.argv[2], json.loads(sys.argv[3])
layer_name = sys.argv[4] if len(sys.argv) > 4 else None
renamed = {int(k): v for k, v in changes.get("renamed", {}).items()}
moved = {int(k): v for k, v in changes.get("moved", {}).items()}
added = changes.get("added", [])
problems = []


def fields(layer):
    d = layer.GetLayerDefn()
    return [(d.GetFieldDefn(i).GetName(), d.GetFieldDefn(i).GetTypeName(), d.GetFieldDefn(i).GetWidth(),
             d.GetFieldDefn(i).GetPrecision()) for i in range(d.GetFieldCount())]


def first_ring(geometry):
    while geometry.GetGeometryCount():
        geometry = geometry.GetGeometryRef(0)
    return geometry


def shifted(geometry, dx, dy):
    g = geometry.Clone()
    for k in range(g.GetGeometryCount() or 1):
        part = g.GetGeometryRef(k) if g.GetGeometryCount() else g
        for p in range(part.GetPointCount()):
            part.SetPoint_2D(p, part.GetX(p) + dx, part.GetY(p) + dy)
    return g


before_ds, after_ds = ogr.Open(before_path), ogr.Open(after_path)
before, after = (before_ds.GetLayerByName(layer_name), after_ds.GetLayerByName(layer_name)) if layer_name else (
    before_ds.GetLayer(0), after_ds.GetLayer(0))
if fields(before) != fields(after):
    problems.append("fields %s became %s" % (fields(before), fields(after)))
if before.GetGeomType() != after.GetGeomType():
    problems.append("geometry type %d became %d" % (before.GetGeomType(), after.GetGeomType()))
old = [f for f in before]
new = [f for f in after]
if len(new) != len(old) + len(added):
    problems.append("%d features became %d" % (len(old), len(new)))
for i, (a, b) in enumerate(zip(old, new)):
    for name, _, _, _ in fields(before):
        want = renamed[i] if name == "NAME" and i in renamed else a.GetField(name)
        if b.GetField(name) != want:
            problems.append("feature %d: %s %r became %r" % (i, name, want, b.GetField(name)))
    ga, gb = a.GetGeometryRef(), b.GetGeometryRef()
    if i in moved:
        ga = shifted(ga, *moved[i])
        if not gb or ga.Distance(gb) > 1e-6 or abs(ga.GetArea() - gb.GetArea()) > 1e-6:
            problems.append("feature %d: not moved by %s: %s" % (i, moved[i], gb and gb.ExportToWkt()))
    elif (ga is None) != (gb is None) or (ga and ga.ExportToWkb() != gb.ExportToWkb()):
        problems.append("feature %d: geometry %s became %s" % (i, ga and ga.ExportToWkt(), gb and gb.ExportToWkt()))
for k, (name, points) in enumerate(added):
    b = new[len(old) + k] if len(new) > len(old) + k else None
    if b is None or b.GetField("NAME") != name:
        problems.append("added feature %d: %s" % (k, b and b.GetField("NAME")))
    elif [list(p) for p in first_ring(b.GetGeometryRef()).GetPoints()] not in (
            # A GeoPackage's exterior rings run anticlockwise.
            [list(map(float, p)) for p in points], [list(map(float, p)) for p in reversed(points)]):
        problems.append("added feature %d: %s" % (k, b.GetGeometryRef().ExportToWkt()))

reader = None if after_path.endswith(".gpkg") else shapefile.Reader(after_path[:-4])
if reader and (len(reader.shapes()) != len(new) or len(reader.records()) != len(new)):
    problems.append("pyshp reads %d shapes and %d records" % (len(reader.shapes()), len(reader.records())))
if reader:
    shapes = subprocess.run(["shpdump", "-validate", after_path], capture_output=True, text=True)
    found = re.findall(r"^Shape:(\d+)", shapes.stdout, re.M)
    invalid = re.search(r"^(\d+) objects? ha(?:s|ve) invalid ring orderings", shapes.stdout, re.M)
    if shapes.returncode != 0 or len(found) != len(new) or (invalid and invalid.group(1) != "0"):
        problems.append("shpdump: exit %d, %d shapes\n%s" % (shapes.returncode, len(found), shapes.stdout[-500:]))
    table = subprocess.run(["dbfdump", "-m", after_path[:-4] + ".dbf"], capture_output=True)
    if table.returncode != 0 or table.stdout.count(b"Record:") != len(new):
        problems.append("dbfdump: exit %d, %d records" % (table.returncode, table.stdout.count(b"Record:")))
print("\n".join(problems) if problems else "same")
sys.exit(1 if problems else 0)
