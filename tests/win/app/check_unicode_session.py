#!/usr/bin/python3
"""Reads with GDAL what the session in a folder of four scripts left
(UnicodeSessionTest.cpp): the names of both Shapefiles through their .cpg,
the table's language byte as GDAL writes it for UTF-8, the exported GeoTIFF
and the world file of Transpose.

Usage: check_unicode_session.py DRIVE_C
"""
import os
import sys

from osgeo import gdal, ogr

FOLDER = os.path.join("Карты", "Χάρτες", "地図", "🗺")
NAMES = ["Мост", "Γέφυρα", "橋 🌉"]


def main():
    folder = os.path.join(sys.argv[1], FOLDER)
    errors = []
    for stem, names in (("features", NAMES), ("later", NAMES[1:] + NAMES[:1])):
        path = os.path.join(folder, stem + ".shp")
        source = ogr.Open(path)
        if source is None:
            errors.append("GDAL cannot open " + path)
            continue
        got = [feature.GetField("NAME") for feature in source.GetLayer()]
        if got != names:
            errors.append("%s: names %r, expected %r" % (stem, got, names))
        with open(os.path.join(folder, stem + ".cpg"), "rb") as f:
            if f.read() != b"UTF-8":
                errors.append(stem + ".cpg does not say UTF-8")
        with open(os.path.join(folder, stem + ".dbf"), "rb") as f:
            language = f.read(32)[29]
        if language != 0:
            errors.append("%s.dbf language byte %#x, GDAL writes 0 with UTF-8" % (stem, language))
    exported = gdal.Open(os.path.join(folder, "scan.tif"))
    if exported is None or exported.GetGeoTransform(can_return_null=True) is None:
        errors.append("the exported GeoTIFF has no georeference GDAL reads")
    with open(os.path.join(folder, "north-up.jgw")) as f:
        if len(f.read().split()) != 6:
            errors.append("north-up.jgw is not a world file")
    for error in errors:
        print(error)
    if not errors:
        print("names, code page, GeoTIFF and world file read back")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
