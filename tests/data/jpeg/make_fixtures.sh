#!/usr/bin/env bash
# Makes the small JPEG fixtures of the decoder tests and, beside each, the
# pixels djpeg decodes from it (.ppm, or .pgm for grey), which the tests
# compare with ours byte for byte. Run again only to change the fixtures.
# Needs cjpeg/djpeg (libjpeg-turbo-progs) and convert (imagemagick).
set -euo pipefail
cd "$(dirname "$0")"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# 37 x 23: odd sizes, so that partial MCUs at the right and bottom edges are
# decoded too; gradients, a hard edge and saturated corners for the colour
# conversion and the upsampling.
/usr/bin/python3 - "$scratch/source.ppm" <<'PY'
import sys
w, h = 37, 23
rows = bytearray()
for y in range(h):
    for x in range(w):
        r = (x * 7 + y * 3) % 256
        g = int(255 * y / (h - 1))
        b = 255 if (x // 5 + y // 4) % 2 else 20
        if x < 3 and y < 3:
            r, g, b = 255, 0, 0
        rows += bytes((r, g, b))
with open(sys.argv[1], "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h) + rows)
PY

cjpeg -quality 85 -outfile baseline.jpg "$scratch/source.ppm"
cjpeg -quality 90 -progressive -sample 2x1 -outfile progressive.jpg "$scratch/source.ppm"
cjpeg -quality 85 -grayscale -outfile grey.jpg "$scratch/source.ppm"
# A subsampling with no TurboJPEG name: libjpeg decodes it all the same.
cjpeg -quality 85 -sample 2x2,1x1,2x1 -outfile odd-sampling.jpg "$scratch/source.ppm"
# Adobe CMYK, as prepress software and ImageMagick write it.
convert "$scratch/source.ppm" -colorspace CMYK -quality 90 -strip cmyk.jpg

for name in baseline progressive odd-sampling cmyk; do
  djpeg -ppm -outfile "$name.ppm" "$name.jpg"
done
djpeg -pnm -outfile grey.pgm grey.jpg
# libjpeg's own reductions, which the open of a scan too large uses.
for n in 2 4 8; do
  djpeg -ppm -scale 1/$n -outfile "baseline-1-$n.ppm" baseline.jpg
done
