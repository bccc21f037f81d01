#!/usr/bin/env bash
# Makes the small JPEG 2000 fixtures of the decoder tests with opj_compress
# and, beside each, the pixels opj_decompress decodes from it as 8-bit RGB
# (.ppm) or grey (.pgm), which the tests compare with ours byte for byte.
# opj_decompress's samples of other precisions are scaled to 8 bits with
# v * 255 / (2^prec - 1) rounded, its alpha laid over white, as our decoder
# does. Run again only to change the fixtures.
# Needs opj_compress/opj_decompress (libopenjp2-tools) and python3-pil.
set -euo pipefail
cd "$(dirname "$0")"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# 37 x 23: odd sizes, so that reduced resolutions round up at the right and
# bottom edges; gradients, a hard edge and saturated corners. The same
# pixels as grey at 16 bits, with alpha as PNG, and as planar raw samples:
# 4:2:0 YCbCr and signed 12-bit grey.
/usr/bin/python3 - "$scratch" <<'PY'
import struct, sys
from PIL import Image
out = sys.argv[1]
w, h = 37, 23
rgb = []
for y in range(h):
    for x in range(w):
        r = (x * 7 + y * 3) % 256
        g = int(255 * y / (h - 1))
        b = 255 if (x // 5 + y // 4) % 2 else 20
        if x < 3 and y < 3:
            r, g, b = 255, 0, 0
        rgb.append((r, g, b))
with open(f"{out}/source.ppm", "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h) + bytes(c for p in rgb for c in p))
grey16 = [(x * 1771 + y * 2833) % 65536 for y in range(h) for x in range(w)]
with open(f"{out}/grey16.pgm", "wb") as f:
    f.write(b"P5\n%d %d\n65535\n" % (w, h) + b"".join(struct.pack(">H", v) for v in grey16))
rgba = Image.new("RGBA", (w, h))
rgba.putdata([(r, g, b, (x * 255 // (w - 1)) if y % 2 else 255)
              for (i, (r, g, b)) in enumerate(rgb) for x, y in [(i % w, i // w)]])
rgba.save(f"{out}/rgba.png")
with open(f"{out}/grey.pgm", "wb") as f:
    f.write(b"P5\n%d %d\n255\n" % (w, h) + bytes((r * 3 + g * 5 + b) // 9 for r, g, b in rgb))
# opj_compress reads w * h / 4 samples of each chroma plane, whatever the
# rounding of an odd size; the rest of the plane stays 0.
luma = bytes((x * 6 + y * 5) % 256 for y in range(h) for x in range(w))
cb = bytes((64 + i * 9) % 256 for i in range(w * h // 4))
cr = bytes((200 - (i // 19) * 11) % 256 for i in range(w * h // 4))
open(f"{out}/ycc420.raw", "wb").write(luma + cb + cr)
signed12 = [((x * 113 + y * 71) % 4096) - 2048 for y in range(h) for x in range(w)]
open(f"{out}/signed12.raw", "wb").write(b"".join(struct.pack(">h", v) for v in signed12))
PY

quiet() { "$@" >/dev/null; }
# Lossless RGB in JP2 boxes, three resolutions: the reduced level is read too.
quiet opj_compress -i "$scratch/source.ppm" -o rgb-lossless.jp2 -n 3
# Lossy RGB in 16 x 16 tiles, progression by resolution.
quiet opj_compress -i "$scratch/source.ppm" -o rgb-lossy.jp2 -r 20 -n 3 -t 16,16 -p RLCP
# A lossy grey codestream without JP2 boxes.
quiet opj_compress -i "$scratch/grey16.pgm" -o grey16.jp2 -n 2
quiet opj_compress -i "$scratch/grey.pgm" -o grey.j2k -n 3 -r 8
quiet opj_compress -i "$scratch/rgba.png" -o rgba.jp2 -n 2
quiet opj_compress -i "$scratch/ycc420.raw" -o ycc420.j2k -F 37,23,3,8,u@1x1:2x2:2x2 -n 2 -r 5
quiet opj_compress -i "$scratch/signed12.raw" -o signed12.j2k -F 37,23,1,12,s@1x1 -n 2
# Five resolutions: the open of a scan too large picks one of the reduced.
quiet opj_compress -i "$scratch/source.ppm" -o rgb-levels.jp2 -n 5

# The sample map in 512 x 512 tiles with four halvings: the GUI test of a
# reduced open shows it at 1/4.
djpeg -ppm -outfile "$scratch/sample.ppm" ../../../samples/sample_map.jpg
quiet opj_compress -i "$scratch/sample.ppm" -o sample-map.jp2 -r 20 -n 5 -t 512,512

# opj_decompress's pixels of each, and of the lossless one at half size.
expect() {
  local input=$1 output=$2
  shift 2
  quiet opj_decompress -i "$input" -o "$scratch/decoded.${output##*.}" "$@"
  to_eight_bits "$scratch/decoded.${output##*.}" "$output"
}
# Any PNM opj_decompress writes (P5, P6, or P7 when there is alpha, even
# named .ppm; up to 16 bits) as 8-bit P5 or P6.
to_eight_bits() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
tokens, pos = [], 0
def token():
    global pos
    while True:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] != b"#":
            break
        pos = data.index(b"\n", pos) + 1
    start = pos
    while not data[pos:pos + 1].isspace():
        pos += 1
    return data[start:pos].decode()
kind = token()
if kind == "P7":
    fields = {}
    while True:
        key = token()
        if key == "ENDHDR":
            break
        fields[key] = token()
    w, h, depth, maxval = (int(fields[k]) for k in ("WIDTH", "HEIGHT", "DEPTH", "MAXVAL"))
else:
    w, h, maxval = int(token()), int(token()), int(token())
    depth = 3 if kind == "P6" else 1
pos += 1
size = 2 if maxval > 255 else 1
samples = [int.from_bytes(data[pos + i * size:pos + (i + 1) * size], "big") for i in range(w * h * depth)]
eight = [(v * 255 + maxval // 2) // maxval for v in samples]
pixels = [eight[i * depth:(i + 1) * depth] for i in range(w * h)]
if depth in (2, 4):
    pixels = [[(c * p[-1] + 255 * (255 - p[-1]) + 127) // 255 for c in p[:-1]] for p in pixels]
grey = len(pixels[0]) == 1
with open(sys.argv[2], "wb") as f:
    f.write(b"P%d\n%d %d\n255\n" % (5 if grey else 6, w, h) + bytes(c for p in pixels for c in p))
PY
}
expect rgb-lossless.jp2 rgb-lossless.ppm
expect rgb-lossless.jp2 rgb-lossless-half.ppm -r 1
expect rgb-lossy.jp2 rgb-lossy.ppm
expect rgb-lossy.jp2 rgb-lossy-quarter.ppm -r 2
expect grey.j2k grey.pgm
expect grey16.jp2 grey16.pgm
expect rgba.jp2 rgba.ppm
expect ycc420.j2k ycc420.ppm
expect signed12.j2k signed12.pgm
expect rgb-levels.jp2 rgb-levels-r2.ppm -r 2
expect rgb-levels.jp2 rgb-levels-r4.ppm -r 4
