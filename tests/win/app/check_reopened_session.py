#!/usr/bin/python3
"""Reads the Shapefile that OpenFeaturesSessionTest.cpp saved back with
Ctrl+S, with GDAL: every point of day one and the one added on day two, at
the centre GDAL gives the clicked pixel, with the name each had last (p2
renamed), in the GeoTIFF's coordinate system.

Usage: check_reopened_session.py SESSION_FOLDER GEOTIFF
"""
import os
import sys

from osgeo import gdal, ogr, osr

gdal.UseExceptions()
ogr.UseExceptions()


def main(folder, geotiff):
    raster = gdal.Open(geotiff)
    g = raster.GetGeoTransform()
    want = []
    with open(os.path.join(folder, "reopened.expected")) as f:
        for line in f.read().splitlines():
            name, pixel = line.split("|")
            column, row = (int(v) for v in pixel.split())
            want.append(("p2 renamed" if name == "p2" else name,
                         g[0] + g[1] * (column + 0.5) + g[2] * (row + 0.5),
                         g[3] + g[4] * (column + 0.5) + g[5] * (row + 0.5)))
    source = ogr.Open(os.path.join(folder, "reopened.shp"))   # the layer lives as long as this
    layer = source.GetLayer(0)
    faults = []
    srs = layer.GetSpatialRef()
    if srs is None or not srs.IsSame(osr.SpatialReference(wkt=raster.GetProjection())):
        faults.append("coordinate system %s, expected the GeoTIFF's" % (srs.GetName() if srs else None))
    got = [(f.GetField("NAME"), f.GetField("ID"), f.GetGeometryRef().GetX(), f.GetGeometryRef().GetY()) for f in layer]
    if len(got) != len(want):
        faults.append("%d features, expected %d" % (len(got), len(want)))
    for i, ((name, x, y), (gname, gid, gx, gy)) in enumerate(zip(want, got)):
        if gname != name or gid != i + 1 or abs(gx - x) > 1e-6 or abs(gy - y) > 1e-6:
            faults.append("feature %d: %r %r at %.6f %.6f, expected %r %d at %.6f %.6f" %
                          (i, gname, gid, gx, gy, name, i + 1, x, y))
    for fault in faults:
        print(fault)
    print("%d features checked, %d faults" % (len(want), len(faults)))
    return 1 if faults or not want else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
