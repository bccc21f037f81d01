#!/usr/bin/python3
"""Prints what independent readers see in a Shapefile, in the form
ShapefileReaderToolsTest.cpp prints ours: the geometry as pyshp reads it,
the attributes as GDAL decodes them (with the .cpg, else the language byte,
else Windows Western, as our reader), each number with 17 digits.

Usage: shapefile_dump.py FILE.shp
"""
import os
import sys

import shapefile
from osgeo import gdal, ogr

gdal.UseExceptions()
path = sys.argv[1]
base = path[:-4]
reader = shapefile.Reader(base, encoding="latin-1")   # its text is not used: GDAL decodes
number = lambda v: "%.17g" % v

with open(base + ".dbf", "rb") as dbf:
    language = dbf.read(32)[29]
options = [] if os.path.exists(base + ".cpg") or language else ["ENCODING=CP1252"]
dataset = gdal.OpenEx(path, gdal.OF_VECTOR, open_options=options)   # the layer lives as long as this
layer = dataset.GetLayer(0)
defn = layer.GetLayerDefn()

out = ["type %d" % reader.shapeType]
for name, kind, width, decimals in reader.fields[1:]:
    out.append("field %s %s %d %d" % (name, kind, width, decimals))
for i in range(len(reader)):
    shape = reader.shape(i)
    deleted = reader.record(i) is None
    out.append("feature %d%s%s" % (i, " null" if shape.shapeType == 0 else "", " deleted" if deleted else ""))
    if shape.shapeType != 0 and shape.points:
        starts = list(shape.parts) if hasattr(shape, "parts") and shape.parts else [0]
        ends = starts[1:] + [len(shape.points)]
        z = getattr(shape, "z", None)
        m = getattr(shape, "m", None)
        for part, (start, end) in enumerate(zip(starts, ends)):
            vertices = []
            for v in range(start, end):
                text = "%s %s" % (number(shape.points[v][0]), number(shape.points[v][1]))
                if z is not None:
                    text += " z=" + number(z[v])
                if m is not None:
                    text += " m=" + ("none" if m[v] is None else number(m[v]))
                vertices.append(text)
            out.append("  part %d: %s" % (part, ", ".join(vertices)))
    if deleted:
        continue
    feature = layer.GetFeature(i)
    for f in range(defn.GetFieldCount()):
        field = defn.GetFieldDefn(f)
        if not feature.IsFieldSetAndNotNull(f):
            value = "null"
        elif field.GetType() == ogr.OFTString:
            value = feature.GetFieldAsString(f)
        elif field.GetType() in (ogr.OFTInteger, ogr.OFTInteger64):
            value = str(feature.GetFieldAsInteger64(f))
        elif field.GetType() == ogr.OFTReal:
            value = number(feature.GetFieldAsDouble(f))
        elif field.GetType() == ogr.OFTDate:
            value = "%04d-%02d-%02d" % tuple(feature.GetFieldAsDateTime(f)[:3])
        else:
            value = "?"
        out.append("  %s=%s" % (field.GetName(), value))
sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))
