#!/usr/bin/python3
"""Compares two vector files with GDAL, feature by feature: every field of
the first by name with the same value in the second, and the same vertices
in every part and ring whatever their order or direction. Prints each
difference, then "done".

Usage: compare_layers.py FIRST SECOND"""
import sys

from osgeo import ogr

ogr.UseExceptions()


def rings(g):
    out = []

    def walk(part):
        if part.GetGeometryCount() == 0:
            out.append(sorted(part.GetPoints() or []))
        for i in range(part.GetGeometryCount()):
            walk(part.GetGeometryRef(i))

    if g is not None:
        walk(g)
    return sorted(out)


first, second = ogr.Open(sys.argv[1]), ogr.Open(sys.argv[2])
a, b = list(first.GetLayer(0)), list(second.GetLayer(0))
if len(a) != len(b):
    print("%d features against %d" % (len(a), len(b)))
for i, (x, y) in enumerate(zip(a, b)):
    for f in range(x.GetFieldCount()):
        name = x.GetFieldDefnRef(f).GetName()
        if x.GetField(name) != y.GetField(name):
            print("feature %d, %s: %r against %r" % (i, name, x.GetField(name), y.GetField(name)))
    if rings(x.GetGeometryRef()) != rings(y.GetGeometryRef()):
        print("feature %d: other vertices" % i)
print("done")
