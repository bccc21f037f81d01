#!/usr/bin/env bash
# GDAL reads the north-up JPEG that the sample-map GUI test saved from the
# clipboard, with the world file Transpose wrote beside it: the size is the
# resampled image's, and the origin and pixel size are the extents of the run.
# Usage: check_transposed_gdal.sh FOLDER (holding north-up.jpg, .jgw, .expected)
set -euo pipefail
folder=$1
jpg="$folder/north-up.jpg"
for f in "$jpg" "$folder/north-up.jgw" "$folder/north-up.expected"; do
  [ -s "$f" ] || { echo "missing: $f (did the GUI test run?)" >&2; exit 1; }
done
read -r width height x0 y0 cellx celly < "$folder/north-up.expected"
info=$(gdalinfo "$jpg")
echo "$info" | grep -q "north-up.jgw" || { echo "gdalinfo did not use the world file:"; echo "$info"; exit 1; } >&2

size=$(echo "$info" | sed -n 's/^Size is \([0-9]*\), \([0-9]*\)$/\1 \2/p')
origin=$(echo "$info" | sed -n 's/^Origin = (\(.*\),\(.*\))$/\1 \2/p')
pixel=$(echo "$info" | sed -n 's/^Pixel Size = (\(.*\),\(.*\))$/\1 \2/p')
[ "$size" = "$width $height" ] || { echo "size: gdalinfo '$size', copied bitmap '$width $height'" >&2; exit 1; }

# A world file gives the centre of the top-left cell; GDAL's origin is that
# cell's outer corner, half a cell up and to the left.
awk -v o="$origin" -v p="$pixel" -v x0="$x0" -v y0="$y0" -v cx="$cellx" -v cy="$celly" 'BEGIN {
  split(o, og, " "); split(p, ps, " ")
  ex = x0 - cx / 2; ey = y0 - cy / 2
  bad = 0
  if (og[1] - ex > 1e-9 || ex - og[1] > 1e-9) { printf "origin X %s, expected %.15f\n", og[1], ex; bad = 1 }
  if (og[2] - ey > 1e-9 || ey - og[2] > 1e-9) { printf "origin Y %s, expected %.15f\n", og[2], ey; bad = 1 }
  if (ps[1] - cx > 2e-12 || cx - ps[1] > 2e-12) { printf "pixel X %s, expected %.15f\n", ps[1], cx; bad = 1 }
  if (ps[2] - cy > 2e-12 || cy - ps[2] > 2e-12) { printf "pixel Y %s, expected %.15f\n", ps[2], cy; bad = 1 }
  if (!(ps[2] < 0)) { print "not north up: pixel Y " ps[2]; bad = 1 }
  exit bad
}' >&2
echo "gdalinfo: size $size, origin $origin, pixel size $pixel"
