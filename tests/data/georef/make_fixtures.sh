#!/usr/bin/env bash
# Makes the fixtures of the tests of an image's own georeference: tiny
# images that gdal_translate georeferenced (GeoTIFF keys as area and as
# point, a rotated transformation, geographic degrees, a plain TIFF with
# only a .tfw, a PNG with a .wld), and expected.txt, what gdalinfo reads
# from each: its geotransform moved to pixel centres, and its EPSG code.
# Run again only to change the fixtures. Needs gdal-bin and python3-gdal.
set -euo pipefail
cd "$(dirname "$0")"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export GDAL_PAM_ENABLED=NO
rm -f ./*.tif ./*.tfw ./*.png ./*.wld expected.txt

# 8 x 6 pixels of one of the scan fixtures.
gdal_translate -q -srcwin 0 0 8 6 ../scan/rgb-none.tif "$scratch/source.tif"
t() { gdal_translate -q "$@"; }

# UTM 33N; 10 m columns, 5 m rows.
t -a_srs EPSG:32633 -a_ullr 500000 4650000 500080 4649970 "$scratch/source.tif" utm-area.tif
t -a_srs EPSG:32633 -a_ullr 500000 4650000 500080 4649970 -mo AREA_OR_POINT=Point "$scratch/source.tif" \
  utm-point.tif
t -a_srs EPSG:4326 -a_ullr 13.25 52.5 13.27 52.485 "$scratch/source.tif" degrees.tif
# The keys and a .tfw beside them; without the keys only the .tfw.
t -a_srs EPSG:32633 -a_ullr 500000 4650000 500080 4649970 -co TFW=YES "$scratch/source.tif" utm-tfw.tif
t -a_ullr 400000 5600000 400016 5599988 -co TFW=YES -co PROFILE=BASELINE "$scratch/source.tif" plain-tfw.tif
t -of PNG -a_ullr 1000 2000 1004 1997 -co WORLDFILE=YES "$scratch/source.tif" plain.png
# A turned and sheared grid: GDAL writes ModelTransformationTag for it.
cp "$scratch/source.tif" rotated.tif
/usr/bin/python3 - <<'PY'
from osgeo import gdal, osr
gdal.UseExceptions()
ds = gdal.Open("rotated.tif", gdal.GA_Update)
srs = osr.SpatialReference()
srs.ImportFromEPSG(32633)
ds.SetProjection(srs.ExportToWkt())
ds.SetGeoTransform([500000, 8.0, 3.0, 4650000, 2.5, -6.0])
ds = None
PY
rm -f ./*.aux.xml

/usr/bin/python3 - <<'PY'
import glob
from osgeo import gdal, osr
gdal.UseExceptions()
with open("expected.txt", "w") as out:
    out.write("# file x0 xPerColumn xPerRow y0 yPerColumn yPerRow epsg: gdalinfo's geotransform at pixel centres\n")
    for name in sorted(glob.glob("*.tif") + glob.glob("*.png")):
        ds = gdal.Open(name)
        g = ds.GetGeoTransform()
        epsg = 0
        wkt = ds.GetProjection()
        if wkt:
            srs = osr.SpatialReference(wkt=wkt)
            srs.AutoIdentifyEPSG()
            epsg = int(srs.GetAuthorityCode(None) or 0)
        x0 = g[0] + 0.5 * (g[1] + g[2])
        y0 = g[3] + 0.5 * (g[4] + g[5])
        out.write(f"{name} {x0!r} {g[1]!r} {g[2]!r} {y0!r} {g[4]!r} {g[5]!r} {epsg}\n")
PY
