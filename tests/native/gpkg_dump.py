#!/usr/bin/python3
"""Prints what GDAL reads from a GeoPackage layer, in the forms
tests/native/GeoPackageGdalTest.cpp expects.

gpkg_dump.py FILE: the first layer's geometry type, EPSG code, fields with
their types, then each feature's id, ISO WKT and values.
gpkg_dump.py FILE LAYER: that layer as the program holds it: each feature's
parts in the Shapefile's sense (polygon exteriors clockwise, holes
anticlockwise; a multipoint one part), every number with 17 significant
digits, and its values (dates and times in the GeoPackage's ISO form); a geometry of another kind
than the layer's is none."""
import sys
from osgeo import ogr, osr

ogr.UseExceptions()
ds = ogr.Open(sys.argv[1])


def num(v):
    return "%.17g" % v


def ring_area2(points):
    return sum(points[i][0] * points[(i + 1) % len(points)][1] - points[(i + 1) % len(points)][0] * points[i][1]
               for i in range(len(points)))


def parts(g):
    flat = ogr.GT_Flatten(g.GetGeometryType())
    if flat == ogr.wkbPoint:
        return [[g.GetPoint()]]
    if flat == ogr.wkbLineString:
        return [g.GetPoints()]
    if flat == ogr.wkbPolygon:
        out = []
        for i in range(g.GetGeometryCount()):
            ring = g.GetGeometryRef(i).GetPoints()
            if (ring_area2(ring) < 0) != (i == 0):
                ring = ring[::-1]
            out.append(ring)
        return out
    if flat == ogr.wkbMultiPoint:
        return [[g.GetGeometryRef(i).GetPoint() for i in range(g.GetGeometryCount())]]
    return [p for i in range(g.GetGeometryCount()) for p in parts(g.GetGeometryRef(i))]


if len(sys.argv) > 2:
    layer = ds.GetLayerByName(sys.argv[2])
    defn = layer.GetLayerDefn()
    for feature in layer:
        g = feature.GetGeometryRef()
        flat = ogr.GT_Flatten(g.GetGeometryType()) if g is not None else None
        line = "feature"
        if g is not None and flat != ogr.wkbGeometryCollection:
            z = g.Is3D()
            for part in parts(g):
                line += " |" + ",".join(" ".join(num(c) for c in (p if z else p[:2])) for p in part)
        values = []
        for i in range(defn.GetFieldCount()):
            f = defn.GetFieldDefn(i)
            if feature.IsFieldNull(i):
                values.append("null")
            elif f.GetType() == ogr.OFTReal:
                values.append(num(feature.GetFieldAsDouble(i)))
            elif f.GetType() == ogr.OFTDate:
                values.append(feature.GetFieldAsString(i).replace("/", "-"))
            elif f.GetType() == ogr.OFTDateTime:   # as the GeoPackage stores it (UTC)
                y, mo, d, h, mi, sec, tz = feature.GetFieldAsDateTime(i)
                values.append("%04d-%02d-%02dT%02d:%02d:%06.3fZ" % (y, mo, d, h, mi, sec))
            else:
                values.append(feature.GetFieldAsString(i))
        print(line + " : " + " ; ".join(values))
    sys.exit(0)

layer = ds.GetLayer(0)
srs = layer.GetSpatialRef()
code = "none"
if srs is not None:
    srs.AutoIdentifyEPSG()
    code = srs.GetAuthorityCode(None)
print("layer", layer.GetName(), ogr.GeometryTypeToName(layer.GetGeomType()), "epsg", code)
defn = layer.GetLayerDefn()
for i in range(defn.GetFieldCount()):
    f = defn.GetFieldDefn(i)
    print("field", f.GetName(), f.GetTypeName(), f.GetWidth())
for feature in layer:
    g = feature.GetGeometryRef()
    wkt = "null" if g is None else g.ExportToIsoWkt()
    values = []
    for i in range(defn.GetFieldCount()):
        values.append("null" if feature.IsFieldNull(i) else str(feature.GetField(i)))
    print(feature.GetFID(), wkt, "|", " | ".join(values))
