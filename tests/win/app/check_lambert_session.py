#!/usr/bin/python3
"""Reads the shapefiles of the sessions on the Lambert sample sheet
(LambertSessionTest.cpp) with GDAL and measures every vertex against the
sheet's truth at the pixel that was clicked. The run whose output is the
sheet's Lambert (EPSG:3034) must keep every vertex within half a pixel's
ground size and carry that system in its .prj; the run fitted in degrees is
carried into the same Lambert by GDAL's own transformation and its miss, in
pixels, printed: an affine fit in degrees cannot follow the curved
graticule.

Usage: check_lambert_session.py SESSION_FOLDER TRUTH_JSON
"""
import json
import math
import os
import sys

from osgeo import osr

from check_session_shapefiles import read_expected, read_features


def truth_projected(truth, column, row):
    """The truth's easting and northing of a pixel: its affine mapping inverted."""
    a = truth["pixel_from_projected"]
    det = a["col_per_e"] * a["row_per_n"] - a["col_per_n"] * a["row_per_e"]
    dc, dr = column - a["c0"], row - a["r0"]
    return (a["e0"] + (a["row_per_n"] * dc - a["col_per_n"] * dr) / det,
            a["n0"] + (a["col_per_e"] * dr - a["row_per_e"] * dc) / det)


def vertices(folder, kind):
    expected = read_expected(os.path.join(folder, kind + ".expected"))
    _, _, features, epsg = read_features(os.path.join(folder, kind + ".shp"))
    if [f[1] for f in features] != [name for name, _ in expected]:
        raise ValueError("%s: features %r" % (kind, [f[1] for f in features]))
    pairs = []
    for feature, (_, pixels) in zip(features, expected):
        if len(feature[3]) != len(pixels):
            raise ValueError("%s: %d vertices, expected %d" % (kind, len(feature[3]), len(pixels)))
        pairs.extend(zip(feature[3], pixels))
    return pairs, epsg


def main():
    folder, truth_path = sys.argv[1], sys.argv[2]
    with open(truth_path) as f:
        truth = json.load(f)
    pixel = truth["pixel_ground_size_m"]
    errors = []

    pairs, epsg = vertices(folder, "lambert-projected")
    worst = max(math.hypot(x - e, y - n) for (x, y), (e, n) in
                ((xy, truth_projected(truth, c, r)) for xy, (c, r) in pairs))
    print("output EPSG:%s: %d vertices, farthest %.3f m (%.3f px) from the truth; allowed %.3f m"
          % (epsg, len(pairs), worst, worst / pixel, truth["tolerance_half_pixel_m"]))
    if epsg != 3034:
        errors.append("the projected run's .prj names EPSG:%s" % epsg)
    if not worst <= truth["tolerance_half_pixel_m"]:
        errors.append("projected run: a vertex %.3f m from the truth" % worst)

    pairs, epsg = vertices(folder, "lambert-degrees")
    source, target = osr.SpatialReference(), osr.SpatialReference()
    source.ImportFromEPSG(4258)
    target.ImportFromEPSG(3034)
    for srs in (source, target):
        srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    carry = osr.CoordinateTransformation(source, target)
    worst = 0.0
    for (lon, lat), (c, r) in pairs:
        x, y, _ = carry.TransformPoint(lon, lat)
        e, n = truth_projected(truth, c, r)
        worst = max(worst, math.hypot(x - e, y - n))
    print("output in degrees (EPSG:%s), affine fit: %d vertices, farthest %.1f m (%.1f px) from the truth"
          % (epsg, len(pairs), worst, worst / pixel))
    if not worst > 5 * pixel:
        errors.append("degrees run: no vertex more than five pixels off (%.2f px)" % (worst / pixel))
    for error in errors:
        print("FAIL " + error)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
