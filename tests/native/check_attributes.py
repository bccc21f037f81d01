#!/usr/bin/python3
"""Compares the attribute table of a layer the program saved (Shapefile or
GeoPackage) with the Shapefile it opened, through GDAL: every value of
every field identical but for the edits named, and those as made.
Prints each difference; exits 1 when there is one.

Usage: check_attributes.py BEFORE.shp AFTER EDITS_JSON
EDITS_JSON: {"renamed": {"old": "NEW"}, "removed": ["field"],
             "added": {"FIELD": ["String", width, precision]},
             "values": [[feature, "FIELD", value], ...], "count": features}
A width or precision of -1 is not checked (GeoPackage keeps no number sizes).
"""
import json
import sys

from osgeo import ogr

ogr.UseExceptions()
before_path, after_path, edits = sys.argv[1], sys.argv[2], json.loads(sys.argv[3])
renamed, removed = edits.get("renamed", {}), set(edits.get("removed", []))
added, values = edits.get("added", {}), edits.get("values", [])
problems = []


def definitions(layer):
    d = layer.GetLayerDefn()
    return {d.GetFieldDefn(i).GetName(): (d.GetFieldDefn(i).GetTypeName(), d.GetFieldDefn(i).GetWidth(),
                                          d.GetFieldDefn(i).GetPrecision()) for i in range(d.GetFieldCount())}


def value(feature, name):
    v = feature.GetField(name)
    return v if not isinstance(v, float) else round(v, 9)


before_ds, after_ds = ogr.Open(before_path), ogr.Open(after_path)
before, after = before_ds.GetLayer(0), after_ds.GetLayer(0)
old_fields, new_fields = definitions(before), definitions(after)
is_gpkg = after_path.lower().endswith(".gpkg")
for name, (kind, width, precision) in old_fields.items():
    if name in removed:
        if name in new_fields:
            problems.append("field %s not removed" % name)
        continue
    target = renamed.get(name, name)
    if target not in new_fields:
        problems.append("field %s (%s) missing in %s" % (target, name, sorted(new_fields)))
    elif not is_gpkg and new_fields[target] != (kind, width, precision):
        problems.append("field %s is %s, was %s" % (target, new_fields[target], (kind, width, precision)))
for name, want in added.items():
    got = new_fields.get(name)
    if got is None or got[0] != want[0] or any(w not in (-1, g) for w, g in zip(want[1:], got[1:])):
        problems.append("added field %s is %s, not %s" % (name, got, want))
old, new = [f for f in before], [f for f in after]
if len(new) != edits.get("count", len(old)):
    problems.append("%d features, not %d" % (len(new), edits.get("count", len(old))))
changed = {(i, name): v for i, name, v in values}
for i, (a, b) in enumerate(zip(old, new)):
    for name in old_fields:
        if name in removed:
            continue
        target = renamed.get(name, name)
        if (i, target) in changed or target not in new_fields:
            continue
        if value(a, name) != value(b, target):
            problems.append("feature %d %s: %r became %r" % (i, target, value(a, name), value(b, target)))
for (i, name), want in changed.items():
    got = value(new[i], name) if i < len(new) and name in new_fields else "(missing)"
    if got != want:
        problems.append("feature %d %s is %r, not %r" % (i, name, got, want))
for p in problems:
    print(p)
sys.exit(1 if problems else 0)
