#!/usr/bin/env bash
# Makes the Shapefile fixtures of the reader's tests with tools we did not
# write: ogr2ogr from GeoJSON, GDAL's Python bindings (to mark a record
# deleted), pyshp (Z and M shapes, every dBASE field type) and shapelib's
# shpcreate/shpadd/dbfcreate/dbfadd. Run again only to change the fixtures.
# Needs gdal-bin, python3-gdal, python3-pyshp and shapelib.
set -euo pipefail
cd "$(dirname "$0")"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rm -f ./*.shp ./*.shx ./*.dbf ./*.prj ./*.cpg
export GDAL_PAM_ENABLED=NO

# Polygons with holes, a multipolygon, a null geometry, every field type
# GeoJSON has; UTF-8 text with a .cpg. Record 3 is then marked deleted.
cat > "$scratch/polygons.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"name": "Île Verte – ouest", "count": 12, "area": 1534.25, "surveyed": "2019-06-30", "ok": true},
 "geometry": {"type": "Polygon", "coordinates": [
  [[512345.123456789, 4201234.987654321], [512345.123456789, 4201334.5], [512445.75, 4201334.5], [512445.75, 4201234.987654321], [512345.123456789, 4201234.987654321]],
  [[512360.1, 4201250.2], [512380.3, 4201250.2], [512380.3, 4201270.4], [512360.1, 4201250.2]]]}},
{"type": "Feature", "properties": {"name": "Zürich 𝄞 Bahnhofstraße", "count": -7, "area": 0.1, "surveyed": null, "ok": false},
 "geometry": {"type": "MultiPolygon", "coordinates": [
  [[[0, 0], [0, 10], [10, 10], [10, 0], [0, 0]], [[2, 2], [4, 2], [4, 4], [2, 2]], [[6, 6], [8, 6], [8, 8], [6, 6]]],
  [[[20, 20], [20, 30], [30, 20], [20, 20]]]]}},
{"type": "Feature", "properties": {"name": "no geometry", "count": null, "area": null, "surveyed": "2000-01-01", "ok": null},
 "geometry": null},
{"type": "Feature", "properties": {"name": "deleted later", "count": 3, "area": 3.5, "surveyed": "2021-12-31", "ok": true},
 "geometry": {"type": "Polygon", "coordinates": [[[1, 1], [1, 2], [2, 2], [1, 1]]]}}
]}
JSON
ogr2ogr -f "ESRI Shapefile" -lco ENCODING=UTF-8 polygons_utf8.shp "$scratch/polygons.geojson"
/usr/bin/python3 - <<'PY'
from osgeo import gdal
ds = gdal.OpenEx("polygons_utf8.shp", gdal.OF_VECTOR | gdal.OF_UPDATE, open_options=["AUTO_REPACK=NO"])
assert ds.GetLayer(0).DeleteFeature(3) == 0
ds = None
PY

# Single and multipart lines, Windows Western text with a .cpg.
cat > "$scratch/lines.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"name": "Rue de l'Église", "lanes": 2},
 "geometry": {"type": "LineString", "coordinates": [[-3.25, 47.5], [-3.125, 47.625], [-3.0000001, 47.75]]}},
{"type": "Feature", "properties": {"name": "Straße – Œuvre €", "lanes": 1},
 "geometry": {"type": "MultiLineString", "coordinates": [[[0.5, 0.5], [1.5, 1.5]], [[2.5, 2.5], [3.5, 3.5], [4.5, 2.5]], [[9, 9], [9.5, 9.25]]]}}
]}
JSON
ogr2ogr -f "ESRI Shapefile" -lco ENCODING=CP1252 lines_1252.shp "$scratch/lines.geojson"

# Multipoints with Z, written with GDAL's defaults: no .cpg, language byte
# 0x57, text in ISO-8859-1.
cat > "$scratch/multipoints.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"name": "Señal"},
 "geometry": {"type": "MultiPoint", "coordinates": [[100.25, 200.5, 10.125], [101.0, 201.0, -3.5], [102.75, 199.0, 0.0]]}},
{"type": "Feature", "properties": {"name": "Ørsted"},
 "geometry": {"type": "MultiPoint", "coordinates": [[5.5, 6.5, 7.5]]}}
]}
JSON
ogr2ogr -f "ESRI Shapefile" multipoints_z.shp "$scratch/multipoints.geojson"

# Central European text named only by the language byte (0xC8, 1250).
cat > "$scratch/regions.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"name": "Łódź"}, "geometry": {"type": "Point", "coordinates": [19.455983, 51.759445]}},
{"type": "Feature", "properties": {"name": "Žilina Świętokrzyskie"}, "geometry": {"type": "Point", "coordinates": [18.74, 49.22]}}
]}
JSON
ogr2ogr -f "ESRI Shapefile" -lco ENCODING=LDID/200 regions_ldid.shp "$scratch/regions.geojson"

# Points with Z and M, lines with Z and M, points with M alone; every
# dBASE type (C, N, F, L, D), empty cells, a null shape. No .cpg and no
# language byte: the text is Windows Western, as the reader assumes then.
/usr/bin/python3 - <<'PY'
import datetime, shapefile
with shapefile.Writer("points_zm", shapeType=shapefile.POINTZ, encoding="cp1252") as w:
    w.field("NAME", "C", 20)
    w.field("COUNT", "N", 6, 0)
    w.field("RATIO", "F", 12, 4)
    w.field("OK", "L")
    w.field("SEEN", "D")
    w.pointz(512000.5, 4200000.25, 123.456, m=7.5); w.record("Forêt", 42, 0.125, True, datetime.date(2023, 3, 14))
    w.pointz(-1e-9, 1e9, -0.0); w.record("no measure", None, None, None, None)
    w.null(); w.record("null shape", -5, -2.5, False, datetime.date(1999, 12, 31))
with shapefile.Writer("lines_zm", shapeType=shapefile.POLYLINEZ, encoding="cp1252") as w:
    w.field("NAME", "C", 10)
    w.linez([[(0, 0, 1, 10), (1, 1, 2, 11)], [(5, 5, 3, 12), (6, 5, 4, 13), (7, 4, 5, None)]]); w.record("two parts")
    w.linez([[(10, 10, 0.5), (11, 12, 0.75)]]); w.record("no m")
with shapefile.Writer("points_m", shapeType=shapefile.POINTM, encoding="cp1252") as w:
    w.field("ID", "N", 4, 0)
    w.pointm(1.5, 2.5, 99.25); w.record(1)
    w.pointm(3.5, 4.5); w.record(2)
PY

# Lines and a table written with shapelib's own tools.
shpcreate arcs_shapelib arc
shpadd arcs_shapelib 0 0 1 1 2 0
shpadd arcs_shapelib 10 10 11 11 + 20 20 21 22 22 20
dbfcreate arcs_shapelib -s NAME 12 -n LENGTH 10 3
dbfadd arcs_shapelib "first" 2.828
dbfadd arcs_shapelib "second one" 7.5
