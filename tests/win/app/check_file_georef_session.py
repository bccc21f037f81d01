#!/usr/bin/python3
"""Reads the shapefile that the session on a GeoTIFF answered Yes saved
(FileGeoreferenceSessionTest.cpp) with GDAL, and checks that every point
lies where GDAL puts the centre of the pixel the user clicked, and that the
shapefile is in the GeoTIFF's coordinate system.

Usage: check_file_georef_session.py SESSION_FOLDER GEOTIFF
"""
import os
import sys

from osgeo import gdal, ogr, osr

gdal.UseExceptions()
ogr.UseExceptions()


def main(folder, geotiff):
    raster = gdal.Open(geotiff)
    g = raster.GetGeoTransform()
    raster_srs = osr.SpatialReference(wkt=raster.GetProjection())
    expected = {}
    with open(os.path.join(folder, "fromfile.expected")) as f:
        for line in f.read().splitlines():
            name, pixel = line.split("|")
            column, row = (int(v) for v in pixel.split())
            # The clicked pixel's content is at its centre.
            expected[name] = (g[0] + g[1] * (column + 0.5) + g[2] * (row + 0.5),
                              g[3] + g[4] * (column + 0.5) + g[5] * (row + 0.5))
    source = ogr.Open(os.path.join(folder, "fromfile.shp"))
    layer = source.GetLayer(0)
    faults = []
    if layer.GetGeomType() != ogr.wkbPoint:
        faults.append("geometry type %s, expected points" % ogr.GeometryTypeToName(layer.GetGeomType()))
    srs = layer.GetSpatialRef()
    if srs is None or not srs.IsSame(raster_srs):
        faults.append("coordinate system %s, expected the GeoTIFF's" % (srs.GetName() if srs else None))
    seen = set()
    for feature in layer:
        name = feature.GetField("NAME")
        point = feature.GetGeometryRef()
        if name not in expected:
            faults.append("unexpected feature %r" % name)
            continue
        seen.add(name)
        x, y = expected[name]
        if abs(point.GetX() - x) > 1e-6 or abs(point.GetY() - y) > 1e-6:
            faults.append("%s at %.6f %.6f, expected %.6f %.6f" % (name, point.GetX(), point.GetY(), x, y))
    faults += ["missing feature %r" % name for name in sorted(set(expected) - seen)]
    for fault in faults:
        print(fault)
    print("%d points checked, %d faults" % (len(expected), len(faults)))
    return 1 if faults or not expected else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
