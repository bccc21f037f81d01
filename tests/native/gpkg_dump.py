#!/usr/bin/python3
"""Prints what GDAL reads from a GeoPackage layer, in the form
tests/native/GeoPackageGdalTest.cpp expects: the geometry type, the EPSG
code, the fields with their types, then each feature's id, ISO WKT (17
significant digits) and values."""
import sys
from osgeo import ogr, osr

ogr.UseExceptions()
ds = ogr.Open(sys.argv[1])
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
