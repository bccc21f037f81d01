#!/usr/bin/python3
"""Reads the shapefile saved after the recovery session (RecoveryKillTest.cpp)
with GDAL's ogrinfo and checks that every feature the killed program had
finished came back: its ID in order, its name, the polygon type, and every
vertex of its ring at the map coordinates the session expected.

Usage: check_recovered_shapefile.py SESSION_FOLDER
"""
import os
import re
import subprocess
import sys


def main():
    folder = sys.argv[1]
    shp = os.path.join(folder, "recovered.shp")
    expected = []
    with open(os.path.join(folder, "recovered.expected"), encoding="utf-8") as f:
        for line in f.read().splitlines():
            fields = line.split("|")
            expected.append((fields[0], [tuple(float(v) for v in p.split()) for p in fields[1:]]))
    # The .cpg says how the names are encoded; ogrinfo prints them in UTF-8.
    out = subprocess.run(["ogrinfo", "-ro", "-al", shp], check=True, capture_output=True, text=True,
                         encoding="utf-8").stdout
    errors = []
    if re.search(r"^Geometry: (.*)$", out, re.M).group(1) != "Polygon":
        errors.append("geometry type is not Polygon")
    blocks = re.split(r"^OGRFeature\(", out, flags=re.M)[1:]
    if len(blocks) != len(expected):
        errors.append("%d features, expected %d" % (len(blocks), len(expected)))
    for number, (block, (name, ring)) in enumerate(zip(blocks, expected), start=1):
        ident = int(re.search(r"^\s+ID \(\w+\) = (\S+)", block, re.M).group(1))
        got_name = re.search(r"^\s+NAME \(\w+\) = ?(.*)$", block, re.M).group(1).rstrip()
        geometry = re.search(r"^\s+(POLYGON.*)$", block, re.M).group(1)
        coords = [(float(x), float(y)) for x, y in
                  re.findall(r"(-?\d+(?:\.\d+)?(?:e[-+]?\d+)?) (-?\d+(?:\.\d+)?(?:e[-+]?\d+)?)", geometry)]
        if ident != number:
            errors.append("feature %d has ID %d" % (number, ident))
        if got_name != name:
            errors.append("feature %d is named %r, expected %r" % (number, got_name, name))
        # Rings are written clockwise on the map: either direction is the ring clicked.
        same = lambda a, b: len(a) == len(b) and all(abs(p[0] - q[0]) < 1e-6 and abs(p[1] - q[1]) < 1e-6
                                                     for p, q in zip(a, b))
        if not (same(coords, ring) or same(coords, ring[::-1])):
            errors.append("feature %d (%s): vertices %s, expected %s" % (number, name, coords, ring))
    for error in errors:
        print(error)
    if errors:
        sys.exit(1)
    print("recovered.shp: %d features with their IDs, names, type and vertices" % len(expected))


if __name__ == "__main__":
    main()
