#!/usr/bin/env bash
# Makes the small TIFF and PNG fixtures of the scan decoder tests and,
# beside each, the RGB that GDAL reads from it (.ppm), which the tests
# compare with ours byte for byte. Run again only to change the fixtures.
# Needs pypng (python3-png), gdal_translate and GDAL's Python bindings
# (gdal-bin, python3-gdal, python3-numpy) and tiffcp (libtiff-tools).
set -euo pipefail
cd "$(dirname "$0")"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# No .aux.xml side files beside the fixtures.
export GDAL_PAM_ENABLED=NO
rm -f ./*.tif ./*.png ./*.ppm

# 37 x 23: odd sizes, so that partial strips, tiles, JPEG blocks and
# sub-byte rows end inside a byte; gradients and a hard edge; an alpha
# that runs from clear to opaque; 16-bit samples whose low byte matters
# for the rounding to 8 bits. Every PNG fixture is written here by pypng.
/usr/bin/python3 - "$scratch" <<'PY'
import sys, png
out = sys.argv[1]
w, h = 37, 23
def rgb(x, y):
    r = (x * 7 + y * 3) % 256
    g = int(255 * y / (h - 1))
    b = 255 if (x // 5 + y // 4) % 2 else 20
    return (255, 0, 0) if x < 3 and y < 3 else (r, g, b)
def alpha(x, y):
    return min(255, (x * 255) // (w - 1) + (y % 3) * 40) if y % 7 else 0
def wide(x, y):   # 16-bit: every low byte differs, including 128 (the rounding's edge)
    return ((x * 1789 + y * 97) % 65536, (y * 2851 + 128) % 65536, (x * y * 331 + 32767) % 65536)
rows = lambda f: [[v for x in range(w) for v in f(x, y)] for y in range(h)]
def save(name, f, **kw):
    with open(f"{name}", "wb") as o:
        png.Writer(w, h, **kw).write(o, rows(f))
save(f"{out}/source.png", rgb, greyscale=False)
save(f"{out}/source16.png", wide, greyscale=False, bitdepth=16)
save(f"{out}/source-alpha.png", lambda x, y: rgb(x, y) + (alpha(x, y),), greyscale=False, alpha=True)
save(f"{out}/source-grey.png", lambda x, y: (rgb(x, y)[0],), greyscale=True)
save(f"{out}/source-bilevel.png", lambda x, y: (1 if (x * x + y * 3) % 11 > 4 else 0,), greyscale=True, bitdepth=1)
palette = [((i * 37) % 256, (i * 91) % 256, (255 - i * 13) % 256) for i in range(16)]
index = lambda x, y: ((x // 3 + y // 2) % 16,)
save(f"{out}/source-palette.png", index, palette=palette, bitdepth=8)

save("rgb.png", rgb, greyscale=False)
save("rgba.png", lambda x, y: rgb(x, y) + (alpha(x, y),), greyscale=False, alpha=True)
save("rgb16.png", wide, greyscale=False, bitdepth=16)
save("rgba16.png", lambda x, y: wide(x, y) + ((alpha(x, y) * 257 + x) % 65536,), greyscale=False, alpha=True,
     bitdepth=16)
save("grey.png", lambda x, y: (rgb(x, y)[0],), greyscale=True)
save("grey2.png", lambda x, y: ((x + y) % 4,), greyscale=True, bitdepth=2)
save("grey16.png", lambda x, y: (wide(x, y)[0],), greyscale=True, bitdepth=16)
save("grey-alpha.png", lambda x, y: (rgb(x, y)[1], alpha(x, y)), greyscale=True, alpha=True)
save("palette.png", index, palette=palette, bitdepth=8)
save("palette4-alpha.png", index, palette=[c + ((i * 17) % 256,) for i, c in enumerate(palette)], bitdepth=4)
save("interlaced.png", rgb, greyscale=False, interlace=True)
save("interlaced-rgba16.png", lambda x, y: wide(x, y) + ((alpha(x, y) * 257) % 65536,), greyscale=False,
     alpha=True, bitdepth=16, interlace=True)
PY

tiff() { gdal_translate -q -of GTiff "$@"; }
# Strips of 5 rows, so that several strips and a short last one are read.
tiff -co BLOCKYSIZE=5 "$scratch/source.png" rgb-none.tif
tiff -co BLOCKYSIZE=5 -co COMPRESS=LZW "$scratch/source.png" rgb-lzw.tif
tiff -co BLOCKYSIZE=5 -co COMPRESS=DEFLATE -co PREDICTOR=2 "$scratch/source.png" rgb-deflate.tif
tiff -co BLOCKYSIZE=5 -co COMPRESS=PACKBITS "$scratch/source.png" rgb-packbits.tif
tiff -co COMPRESS=JPEG -co PHOTOMETRIC=YCBCR -co JPEG_QUALITY=85 "$scratch/source.png" rgb-jpeg.tif
# 16 x 16 tiles: partial tiles at the right and bottom.
tiff -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 -co COMPRESS=DEFLATE "$scratch/source.png" rgb-tiled.tif
tiff -co BIGTIFF=YES -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 -co COMPRESS=LZW "$scratch/source.png" \
  rgb-bigtiff.tif
tiff -co BIGTIFF=YES -co BLOCKYSIZE=4 "$scratch/source.png" rgb-bigtiff-strips.tif
tiff -co BLOCKYSIZE=5 -co COMPRESS=LZW "$scratch/source16.png" rgb16.tif
tiff -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 -co COMPRESS=DEFLATE -co ALPHA=YES \
  "$scratch/source-alpha.png" rgba.tif
tiff -co BLOCKYSIZE=5 -co COMPRESS=LZW "$scratch/source-grey.png" grey.tif
tiff -co BLOCKYSIZE=5 -co COMPRESS=LZW "$scratch/source-palette.png" palette.tif
tiff -co BLOCKYSIZE=5 -co NBITS=4 "$scratch/source-palette.png" palette4.tif
# Bi-level scans: black is 1 (min-is-white), as fax coders expect.
tiff -co NBITS=1 -co PHOTOMETRIC=MINISWHITE "$scratch/source-bilevel.png" "$scratch/bilevel.tif"
tiffcp -c g4 "$scratch/bilevel.tif" bilevel-g4.tif 2>/dev/null
tiffcp -c g3:2d -r 8 "$scratch/bilevel.tif" bilevel-g3.tif 2>/dev/null
tiffcp -c packbits -r 6 "$scratch/bilevel.tif" bilevel-packbits.tif 2>/dev/null
# Separate planes, one strip of rows a sample after the other.
tiff -co BLOCKYSIZE=8 -co INTERLEAVE=BAND -co COMPRESS=DEFLATE "$scratch/source16.png" rgb16-planes.tif
# CMYK, which the decoder refuses with its cause (no .ppm).
tiff -co PHOTOMETRIC=CMYK "$scratch/source-alpha.png" refused-cmyk.tif
tiff -co NBITS=1 -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 "$scratch/source-bilevel.png" bilevel-black0-tiled.tif
# Tiled, with overviews at 1/2 and 1/4 after the full image, as gdaladdo
# writes them: the open of a scan too large reads one of them.
tiff -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 -co COMPRESS=DEFLATE "$scratch/source.png" rgb-overviews.tif
gdaladdo -q -r average rgb-overviews.tif 2 4

# The RGB GDAL reads from each fixture (pypng where GDAL is wrong), as our
# decoders give it: a colour
# table applied; grey made RGB; samples of n < 8 bits scaled by 255/(2^n-1)
# (1-bit min-is-white: 0 white); 16-bit samples rounded, (v * 255 + 32767)
# // 65535; then alpha composited on white with rounding.
/usr/bin/python3 - $(ls ./*.tif ./*.png | grep -v refused-) <<'PY'
import sys
import numpy as np
import png
from osgeo import gdal
gdal.UseExceptions()
for name in sys.argv[1:]:
    ds = gdal.Open(name)
    bands = [ds.GetRasterBand(i + 1) for i in range(ds.RasterCount)]
    data = [b.ReadAsArray().astype(np.int64) for b in bands]
    if name.endswith(".png") and bands[0].GetColorTable() is None:
        # pypng reads each PNG as well; GDAL 3.6 misreads interlaced 16-bit
        # ones (its samples come out shuffled), where pypng has the last word.
        width, height, rows, info = png.Reader(name).read()
        theirs = np.array([list(row) for row in rows], dtype=np.int64).reshape(height, width, info["planes"])
        theirs = [theirs[:, :, k] for k in range(info["planes"])]
        if any((t != d).any() for t, d in zip(theirs, data)):
            if not (info["interlace"] and info["bitdepth"] == 16):
                sys.exit(f"GDAL and pypng disagree on {name}")
            data = theirs
    table = bands[0].GetColorTable()
    nbits = int(bands[0].GetMetadataItem("NBITS", "IMAGE_STRUCTURE") or 8 * gdal.GetDataTypeSize(bands[0].DataType) // 8)
    if table is not None:
        entries = np.array([table.GetColorEntry(i) for i in range(table.GetCount())], dtype=np.int64)
        planes = [entries[data[0], k] for k in range(4)]
    else:
        if nbits == 16:
            data = [(d * 255 + 32767) // 65535 for d in data]
        elif nbits < 8:
            data = [d * 255 // ((1 << nbits) - 1) for d in data]
        if bands[0].GetColorInterpretation() == gdal.GCI_GrayIndex or len(data) <= 2:
            data = [data[0]] * 3 + data[1:]
        planes = data + [np.full(data[0].shape, 255)] * (4 - len(data))
    r, g, b, a = planes
    over_white = [(c * a + 255 * (255 - a) + 127) // 255 for c in (r, g, b)]
    rgb = np.dstack(over_white).astype(np.uint8)
    with open(name.rsplit(".", 1)[0] + ".ppm", "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (ds.RasterXSize, ds.RasterYSize) + rgb.tobytes())
PY

# GDAL's read of each overview of the tiled fixture.
/usr/bin/python3 - rgb-overviews.tif <<'PY'
import sys
import numpy as np
from osgeo import gdal
gdal.UseExceptions()
ds = gdal.Open(sys.argv[1])
for k in range(ds.GetRasterBand(1).GetOverviewCount()):
    bands = [ds.GetRasterBand(i + 1).GetOverview(k) for i in range(3)]
    rgb = np.dstack([b.ReadAsArray() for b in bands]).astype(np.uint8)
    with open("rgb-overviews-%d.ppm" % (k + 1), "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (bands[0].XSize, bands[0].YSize) + rgb.tobytes())
PY
