#!/usr/bin/python3
"""Sets the control-point exports of the GUI session (GcpInterchangeTest.cpp)
against GDAL:

- gdaltransform on each model's VRT maps the points (and the scan's corners
  and centre) where our fit does: the pixel convention of the GCPs;
- the clipboard's command lines, run as they are (Wine paths made native),
  then gdalwarp on our GeoTIFF's grid (-et 0: every cell mapped exactly)
  give our GeoTIFF's cells: for the affine model nearest identical and
  bilinear within 1 level away from the alpha edge; for the others within a
  small share of cells, where GDAL's own fit of the way back (map to
  pixel) parts from our exact inverse of the fit. The VRT's points warped
  the same way are shown beside them: there GDAL fits the way back from
  the points themselves, which misses our fit by a share of the residuals;
- gdalinfo reads the scan's world file with our fit's corner coordinates;
- the .points file and the IIIF annotation count pixels from the corner.

Usage: check_gcp_interchange_gdal.py FOLDER
"""
import json
import math
import os
import shlex
import subprocess
import sys

import numpy as np

from osgeo import gdal

gdal.UseExceptions()


def native(line):
    """A command line with Wine paths of the Z: drive as the Linux paths they stand for."""
    return line.replace('"Z:\\', '"/').replace("\\", "/")


def cells(path):
    ds = gdal.Open(path)
    return np.stack([ds.GetRasterBand(b + 1).ReadAsArray().astype(int) for b in range(ds.RasterCount)])


def warp(source, transformer, reference, method, out):
    ref = gdal.Open(reference)
    gt, w, h = ref.GetGeoTransform(), ref.RasterXSize, ref.RasterYSize
    te = [gt[0], gt[3] + h * gt[5], gt[0] + w * gt[1], gt[3]]
    subprocess.run(["gdalwarp", "-q", "-overwrite"] + transformer.split() +
                   ["-et", "0", "-r", method, "-dstalpha", "-t_srs", "EPSG:4326",
                    "-te"] + [repr(v) for v in te] + ["-ts", str(w), str(h), source, out],
                   check=True)
    return cells(out)


def compare(ours, theirs, bilinear):
    """Cells where both are opaque (for bilinear also their 8 neighbours):
    how many, how many differ at all, the largest difference; and in how
    many cells one is opaque and the other not."""
    opaque = (ours[3] == 255) & (theirs[3] == 255)
    if bilinear:
        inner = opaque.copy()
        inner[0, :] = inner[-1, :] = inner[:, 0] = inner[:, -1] = False
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                inner &= np.roll(np.roll(opaque, dy, 0), dx, 1)
        opaque = inner
    diff = np.abs(ours[:3] - theirs[:3]).max(axis=0)[opaque]
    alpha = int(((ours[3] == 255) != (theirs[3] == 255)).sum())
    return int(opaque.sum()), int((diff > 0).sum()), int(diff.max()) if diff.size else 0, alpha


TRANSFORMERS = {"affine": "-order 1", "poly2": "-order 2", "tps": "-tps"}
# gdalwarp maps each cell back with a map-to-pixel mapping GDAL fits on its
# own; ours is the exact inverse. Within this share of cells the nearest
# pixel may then differ where the two fall on either side of a pixel edge.
NEAREST_SHARE = {"affine": 0.0, "poly2": 0.002, "tps": 0.002}


def main(folder):
    failures = 0
    for name, transformer in TRANSFORMERS.items():
        # The VRT's GCPs in GDAL's forward mapping against our fit: where
        # a half-pixel slip in the convention would show.
        with open(os.path.join(folder, name + ".expected")) as f:
            expected = [[float(v) for v in line.split()] for line in f]
        out = subprocess.run(["gdaltransform"] + transformer.split() + [os.path.join(folder, name + ".vrt")],
                             input="".join("%r %r\n" % (c + 0.5, r + 0.5) for c, r, _, _ in expected),
                             check=True, capture_output=True, text=True).stdout
        worst = max(math.hypot(float(g[0]) - x, float(g[1]) - y)
                    for g, (_, _, x, y) in zip((line.split() for line in out.splitlines()), expected))
        ok = worst < 1e-9
        print("%-6s gdaltransform %s on the VRT vs our fit: %.3g degrees at most%s"
              % (name, transformer, worst, "" if ok else "  <-- wrong"))
        failures += not ok

        with open(os.path.join(folder, name + ".commands")) as f:
            translate, gdalwarp = [shlex.split(native(line)) for line in f.read().splitlines() if line]
        commands = " ".join(gdalwarp[1:gdalwarp.index("-t_srs")])
        subprocess.run(translate, check=True, capture_output=True)   # as the user would run it
        for method in ("near", "bilinear"):
            ours_path = os.path.join(folder, "%s-%s.tif" % (name, method))
            ours = cells(ours_path)
            sources = [(translate[-1], commands, "command lines")]
            if method == "near":
                sources.append((os.path.join(folder, name + ".vrt"), transformer, "VRT"))
            for source, how, label in sources:
                theirs = warp(source, how, ours_path, method,
                              os.path.join(folder, "gdal-%s-%s-%s.tif" % (name, method, label[0])))
                opaque, differ, largest, alpha = compare(ours, theirs, method == "bilinear")
                if label == "VRT":
                    ok = True   # the points' own fits: shown for comparison
                elif method == "near":
                    ok = differ <= NEAREST_SHARE[name] * opaque and alpha <= NEAREST_SHARE[name] * opaque
                else:
                    ok = largest <= 1 if name == "affine" else differ <= 0.01 * opaque
                print("%-6s %-8s %-13s %-8s: %8d opaque cells, %6d differ (%.3f%%), largest %3d, alpha differs in %d%s"
                      % (name, method, label, how, opaque, differ, 100.0 * differ / max(opaque, 1), largest, alpha,
                         "" if ok else "  <-- wrong"))
                failures += not ok

    # The scan's world file, as gdalinfo reads it beside the scan.
    info = json.loads(subprocess.run(["gdalinfo", "-json", os.path.join(folder, "map.jpg")], check=True,
                                     capture_output=True, text=True).stdout)
    # Its corners from the geotransform gdalinfo reports in full (the
    # corner lines it prints are rounded to seven decimals).
    gt, (w, h) = info["geoTransform"], info["size"]
    with open(os.path.join(folder, "map.corners")) as f:
        ours = [[float(v) for v in line.split()] for line in f]
    for key, (px, ln), (x, y) in zip(("upper left", "upper right", "lower left", "lower right"),
                                     ((0, 0), (w, 0), (0, h), (w, h)), ours):
        gx, gy = gt[0] + px * gt[1] + ln * gt[2], gt[3] + px * gt[4] + ln * gt[5]
        ok = abs(gx - x) < 1e-9 and abs(gy - y) < 1e-9
        print("world file %-11s gdalinfo %.12f %.12f, our fit %.12f %.12f%s"
              % (key, gx, gy, x, y, "" if ok else "  <-- wrong"))
        failures += not ok

    # Pixel conventions of the .points file and the IIIF annotation.
    with open(os.path.join(folder, "map.tvg")) as f:
        tvg = [[float(v) for v in line.split(",")] for line in f.read().split() if line]
    with open(os.path.join(folder, "map.points")) as f:
        lines = f.read().splitlines()
    rows = [[float(v) for v in line.split(",")] for line in lines[2:]]
    ok = lines[0].startswith("#CRS: GEOGCS[") and len(rows) == len(tvg) and all(
        (r[0], r[1], r[2], r[3], r[4]) == (t[0], t[1], t[2] + 0.5, -(t[3] + 0.5), 1) for r, t in zip(rows, tvg))
    print(".points: %d points, source = (column + 0.5, -(row + 0.5))%s" % (len(rows), "" if ok else "  <-- wrong"))
    failures += not ok
    with open(os.path.join(folder, "map.json")) as f:
        annotation = json.load(f)
    features = annotation["body"]["features"]
    ok = annotation["motivation"] == "georeferencing" and len(features) == len(tvg) and all(
        f["properties"]["resourceCoords"] == [t[2] + 0.5, t[3] + 0.5] and f["geometry"]["coordinates"] == [t[0], t[1]]
        for f, t in zip(features, tvg))
    print("IIIF: %d features, resourceCoords = (column + 0.5, row + 0.5)%s" % (len(features), "" if ok else "  <-- wrong"))
    failures += not ok
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
