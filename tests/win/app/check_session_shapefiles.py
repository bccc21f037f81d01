#!/usr/bin/python3
"""Reads the shapefiles that the GUI sessions on the sample map saved
(InteractSessionTest.cpp) with GDAL's ogrinfo, and checks that every vertex
lies within two pixels' ground size of the map's true georeference of the
pixel the user clicked, that every feature carries its name and ID, and that
the geometry type is the one chosen.

Usage: check_session_shapefiles.py SESSION_FOLDER TRUTH_JSON
"""
import json
import math
import os
import re
import subprocess
import sys

KINDS = {
    "polygons": ("Polygon", "POLYGON"),
    "polylines": ("Line String", "LINESTRING"),
    "points": ("Point", "POINT"),
}


def true_lonlat(truth, column, row):
    t = truth["pixel_to_lonlat"]
    dc, dr = column - t["c0"], row - t["r0"]
    return (t["lon0"] + t["lon_per_col"] * dc + t["lon_per_row"] * dr,
            t["lat0"] + t["lat_per_col"] * dc + t["lat_per_row"] * dr)


def read_expected(path):
    features = []
    with open(path, encoding="latin-1") as f:
        for line in f.read().splitlines():
            fields = line.split("|")
            pixels = [tuple(int(v) for v in p.split()) for p in fields[1:]]
            features.append((fields[0], pixels))
    return features


def read_features(shp):
    out = subprocess.run(["ogrinfo", "-ro", "-al", shp], check=True, capture_output=True, text=True,
                         encoding="latin-1").stdout
    srs = re.search(r"^    ID\[\"EPSG\",(\d+)\]\]$", out, re.M)
    epsg = int(srs.group(1)) if srs else None
    geometry_type = re.search(r"^Geometry: (.*)$", out, re.M).group(1)
    count = int(re.search(r"^Feature Count: (\d+)$", out, re.M).group(1))
    features = []
    for block in re.split(r"^OGRFeature\(", out, flags=re.M)[1:]:
        ident = int(re.search(r"^\s+ID \(\w+\) = (\S+)", block, re.M).group(1))
        name = re.search(r"^\s+NAME \(\w+\) = ?(.*)$", block, re.M).group(1).rstrip()
        if name == "(null)":
            name = ""
        geometry = re.search(r"^\s+((MULTI)?(POLYGON|LINESTRING|POINT).*)$", block, re.M).group(1)
        coords = [(float(x), float(y)) for x, y in
                  re.findall(r"(-?\d+(?:\.\d+)?(?:e[-+]?\d+)?) (-?\d+(?:\.\d+)?(?:e[-+]?\d+)?)", geometry)]
        features.append((ident, name, geometry.split(" ")[0], coords))
    return geometry_type, count, features, epsg


def within(truth, coords, pixels, tolerance):
    if len(coords) != len(pixels):
        return False, "%d vertices, expected %d" % (len(coords), len(pixels))
    worst = 0.0
    for (x, y), (c, r) in zip(coords, pixels):
        lon, lat = true_lonlat(truth, c, r)
        worst = max(worst, math.hypot(x - lon, y - lat))
    return worst <= tolerance, "largest distance %.3g deg (tolerance %.3g)" % (worst, tolerance)


def check_kind(folder, kind, truth):
    errors = []
    shp = os.path.join(folder, kind + ".shp")
    for ext in (".shp", ".shx", ".dbf", ".cpg"):
        if not os.path.isfile(os.path.join(folder, kind + ext)):
            return ["%s%s missing" % (kind, ext)]
    expected = read_expected(os.path.join(folder, kind + ".expected"))
    geometry_type, count, features, epsg = read_features(shp)
    want_type, want_wkt = KINDS[kind]
    # The polygons were saved in WGS 84 (a .prj), the others in no system.
    want_epsg = 4326 if kind == "polygons" else None
    if epsg != want_epsg:
        errors.append("%s: GDAL reads the coordinate system as EPSG %s, expected %s" % (kind, epsg, want_epsg))
    if geometry_type != want_type:
        errors.append("%s: geometry type %r, expected %r" % (kind, geometry_type, want_type))
    if count != len(expected) or len(features) != len(expected):
        return errors + ["%s: %d features, expected %d" % (kind, len(features), len(expected))]
    tolerance = truth["tolerance_two_pixels_deg"]
    for i, ((name, pixels), (ident, got_name, wkt, coords)) in enumerate(zip(expected, features)):
        label = "%s feature %d" % (kind, i + 1)
        if ident != i + 1:
            errors.append("%s: ID %d" % (label, ident))
        if got_name != name:
            errors.append("%s: NAME %r, expected %r" % (label, got_name, name))
        if wkt != want_wkt:
            errors.append("%s: %s, expected %s" % (label, wkt, want_wkt))
        if kind == "polygons":
            ring = pixels + [pixels[0]]
            ok, why = within(truth, coords, ring, tolerance)
            if not ok:   # a reader may hand the ring back in the other sense
                ok = within(truth, coords, ring[::-1], tolerance)[0]
        else:
            ok, why = within(truth, coords, pixels, tolerance)
        if not ok:
            errors.append("%s: %s" % (label, why))
    print("%s: %d features checked" % (kind, len(features)))
    return errors


def main():
    folder, truth_path = sys.argv[1], sys.argv[2]
    with open(truth_path) as f:
        truth = json.load(f)
    errors = []
    for kind in KINDS:
        errors += check_kind(folder, kind, truth)
    for error in errors:
        print("FAIL " + error)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
