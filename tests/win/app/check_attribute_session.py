#!/usr/bin/python3
"""Checks the attribute session's files (AttributeTableSessionTest.cpp)
with GDAL against the ogr2ogr-made Shapefile it opened: the Shapefile saved
back and the GeoPackage saved as, each with one cell edited, the CLASS
field added and a point added, every other value as it was.

Usage: check_attribute_session.py SESSION_OUT BEFORE.shp CHECK_ATTRIBUTES.py
"""
import json
import subprocess
import sys

out, before, checker = sys.argv[1], sys.argv[2], sys.argv[3]
values = [[1, "height", 250], [0, "CLASS", "source"], [1, "CLASS", None], [3, "NAME", "pond"],
          [3, "height", 75], [3, "surveyed", "2024/05/31"], [3, "CLASS", "spring"], [3, "ratio", None]]
failed = 0
for name, width in (("attributes.shp", 12), ("attributes-copy.gpkg", 12)):
    edits = {"added": {"CLASS": ["String", width, -1]}, "values": values, "count": 4}
    result = subprocess.run(["/usr/bin/python3", checker, before, out + "/" + name, json.dumps(edits)],
                            capture_output=True, text=True)
    if result.returncode:
        print(name + ":\n" + result.stdout + result.stderr)
        failed = 1
sys.exit(failed)
