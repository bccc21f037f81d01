#!/usr/bin/python3
"""Makes transform.txt, the fixtures of the tests of CCrsTransform: points
carried between EPSG systems by PROJ's own cs2cs, and the operation that
projinfo names first for the pair at the centre of the points' bounding box
(--spatial-test intersects, no grid), where the tests ask for it.

Both tools read the same lone proj.db as the tests (argument: the folder
holding it, such as build/native/proj/share), with the network off, so that
no grid on this machine changes PROJ's choice. cs2cs takes and gives the
axes in the register's order; projinfo's PROJJSON of each system says which
that is, and the table is always easting/longitude first.

Run again only to change the fixtures. Needs proj-bin.

Lines of transform.txt:
  pair SOURCE TARGET OPERATION-NAME    (the rest of the line is the name)
  point X Y EXPECTED-X EXPECTED-Y      (for the last pair)
  fail X Y                             (a point the operation cannot carry)
"""
import json
import os
import subprocess
import sys

PAIRS = [
    # A sheet's graticule in WGS 84, the output in UTM 33N.
    (4326, 32633, [(15.4447, 47.2008), (12.0, 46.0), (18.5, 49.5)], [(15.0, 95.0)]),
    # Northing-first Lambert conformal conic of Europe, from ETRS89 degrees.
    (4258, 3034, [(10.0, 52.0), (4.25, 43.5), (24.0, 60.5)], []),
    # A national datum with several Helmert transformations over its parts.
    (4314, 25832, [(9.7, 52.4), (11.6, 48.1), (13.4, 52.5)], []),
    # OSGB 1936 to the British National Grid: a conversion alone.
    (4277, 27700, [(-1.5, 53.0), (-4.2, 57.5)], []),
    # WGS 84 to the same grid: a datum shift whose best operation needs a grid.
    (4326, 27700, [(-0.1276, 51.5072), (-3.19, 55.95)], []),
    # NAD27 to NAD83 UTM 18N, whose grid operations are left out.
    (4267, 26918, [(-74.0, 40.7), (-76.6, 39.3)], []),
    # Projected to geographic, northing-first source.
    (3035, 4326, [(4321000.0, 3210000.0), (5000000.0, 2500000.0)], []),
]


def run(args, data, text=None):
    env = dict(os.environ, PROJ_DATA=data, PROJ_NETWORK="OFF")
    return subprocess.run(args, input=text, env=env, capture_output=True, text=True, check=True).stdout


def describe(code, data):
    """Whether the system is projected, and whether its first axis is the northing or latitude."""
    crs = json.loads(run(["projinfo", "-o", "PROJJSON", "-q", "EPSG:%d" % code], data))
    first = crs["coordinate_system"]["axis"][0]["direction"]
    return crs["type"] == "ProjectedCRS", first in ("north", "south")


def carry(source, target, x, y, data):
    """(x, y) easting/longitude first, through cs2cs in the register's axis orders."""
    swap_in, swap_out = describe(source, data)[1], describe(target, data)[1]
    a, b = (y, x) if swap_in else (x, y)
    out = run(["cs2cs", "-f", "%.12f", "EPSG:%d" % source, "EPSG:%d" % target], data, "%r %r\n" % (a, b))
    u, v = (float(t) for t in out.split()[:2])
    return (v, u) if swap_out else (u, v)


def main():
    data = os.path.abspath(sys.argv[1])
    lines = []
    for source, target, points, fails in PAIRS:
        # The centre of the points' box: where the operation is named.
        centre = ((min(p[0] for p in points) + max(p[0] for p in points)) / 2,
                  (min(p[1] for p in points) + max(p[1] for p in points)) / 2)
        lon, lat = carry(source, 4326, *centre, data) if describe(source, data)[0] else centre
        ops = run(["projinfo", "-s", "EPSG:%d" % source, "-t", "EPSG:%d" % target, "--spatial-test",
                   "intersects", "--bbox", "%r,%r,%r,%r" % (lon, lat, lon, lat), "--grid-check", "discard_missing",
                   "--summary"], data)
        name = ops.splitlines()[1].split(", ")[1]
        lines.append("pair %d %d %s" % (source, target, name))
        for x, y in points:
            lines.append("point %r %r %.12f %.12f" % ((x, y) + carry(source, target, x, y, data)))
        for x, y in fails:
            lines.append("fail %r %r" % (x, y))
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "transform.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


main()
