#!/usr/bin/env bash
# Writes the small JPEGs and point files of the GUI tests into this folder.
# The outputs are committed; run again only to change them (needs cjpeg).
set -euo pipefail
cd "$(dirname "$0")"
/usr/bin/python3 - <<'PY'
def ppm(name, width, height, colour):
    with open(name, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (width, height))
        f.write(bytes(v for r in range(height) for c in range(width) for v in colour(c, r)))

# A map-like picture: pale paper, a blue river, a green square.
ppm('map.ppm', 64, 48, lambda c, r:
    (60, 90, 200) if abs(r - (c // 2 + 8)) <= 1 else
    (70, 150, 70) if 40 <= c < 56 and 6 <= r < 20 else
    (240, 230, 200))
# Another picture of another size.
ppm('other.ppm', 40, 30, lambda c, r: (c * 6, r * 8, 128))
PY
cjpeg -quality 95 -outfile map.jpg map.ppm
cjpeg -quality 95 -outfile other.jpg other.ppm
rm -f map.ppm other.ppm
printf '10.500000,-3.250000,10,20\r\n100.000000,200.000000,40,30\r\n' > map.tvg
printf '1.000000,2.000000,5,6\r\n' > other.tvg

# A GeoTIFF that carries its georeference (UTM 33N, 10 m pixels): a corner
# of the sample map, georeferenced by gdal_translate (needs gdal-bin).
GDAL_PAM_ENABLED=NO gdal_translate -q -srcwin 200 300 240 180 -a_srs EPSG:32633 \
  -a_ullr 500000 4650000 502400 4648200 -co COMPRESS=DEFLATE ../../../../samples/sample_map.jpg utm33.tif

# Points on that GeoTIFF with a text, integer, real and date field and
# nulls, as ogr2ogr writes them (needs gdal-bin); no .prj, so that opening
# them over the GeoTIFF asks nothing.
rm -f attributes.shp attributes.shx attributes.dbf attributes.cpg attributes.prj
ogr2ogr -f 'ESRI Shapefile' -lco ENCODING=UTF-8 attributes.shp attributes.geojson
rm -f attributes.prj

# A GeoPackage of two layers on utm33.tif, lines and points (the points at
# the centres of pixels 30 30, 120 140 and 210 70), written by ogr2ogr
# (needs gdal-bin).
rm -f survey.gpkg
echo '{"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"NAME": "North road", "lanes": 2}, "geometry": {"type": "LineString", "coordinates": [[500100, 4649900], [501000, 4649500], [502000, 4649000]]}},
{"type": "Feature", "properties": {"NAME": "Mill lane", "lanes": 1}, "geometry": {"type": "LineString", "coordinates": [[500500, 4648500], [501500, 4648900]]}}
]}' | ogr2ogr -f GPKG -a_srs EPSG:32633 survey.gpkg /vsistdin/ -nln roads
echo '{"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"NAME": "Well 1", "depth": 12.5}, "geometry": {"type": "Point", "coordinates": [500305, 4649695]}},
{"type": "Feature", "properties": {"NAME": "Well 2", "depth": 8.25}, "geometry": {"type": "Point", "coordinates": [501205, 4648595]}},
{"type": "Feature", "properties": {"NAME": "Well 3", "depth": null}, "geometry": {"type": "Point", "coordinates": [502105, 4649295]}}
]}' | ogr2ogr -update -a_srs EPSG:32633 survey.gpkg /vsistdin/ -nln wells
