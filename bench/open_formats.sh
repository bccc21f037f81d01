#!/usr/bin/env bash
# Opening and first painting of the 27-MP and 108-MP benchmark scans in each
# format the program opens besides JPEG (TIFF with LZW strips, DEFLATE tiles
# and JPEG tiles, PNG, JPEG 2000 lossy 20:1 with 1024 x 1024 tiles and six
# resolutions), each made once from the JPEG scan: quarvex.exe's own open
# and first paint in the x86-64 build under Wine, with the peak working set
# beside the decoded size, against GDAL reading the same file into a raw
# image on one thread and on every core, and the format's own tool (tiffcp
# writing it uncompressed; opj_decompress on every core, its decode alone).
# Prints the best of REPEATS runs (default 3) and the ratio to the fastest.
# KINDS, e.g. KINDS=lossy.jp2, limits the run to those formats.
source "$(dirname "$0")/bench-lib.sh"

arch=win64
build_win_target "$arch" app_open_paint_timer
data=$(bench_scans)
out="$data/open-formats-out.raw"   # GDAL's raw (ENVI) writer needs an extension
declare -A options=(
  [lzw.tif]="-co COMPRESS=LZW"
  [deflate-tiled.tif]="-co COMPRESS=DEFLATE -co TILED=YES"
  [jpeg-tiled.tif]="-co COMPRESS=JPEG -co TILED=YES"
  [plain.png]="-of PNG"
)
# Each name ends in the extension the program opens it by.
kinds=(${KINDS:-lzw.tif deflate-tiled.tif jpeg-tiled.tif plain.png lossy.jp2})

# make_scan SCAN KIND: the scan in that format, made once.
make_scan() {
  local file="$data/$1-$2"
  [ -f "$file" ] && return 0
  if [ "$2" = lossy.jp2 ]; then
    djpeg -ppm -outfile "$data/$1.ppm" "$data/$1.jpg"
    opj_compress -i "$data/$1.ppm" -o "$file" -r 20 -n 6 -t 1024,1024 -threads ALL_CPUS >/dev/null
    rm -f "$data/$1.ppm"
  else
    gdal_translate -q ${options[$2]} "$data/$1.jpg" "$file"
  fi
}

printf '%-8s %-18s %9s %9s %9s %14s %6s %9s %9s\n' scan format "gdal 1" "gdal all" tool "open+paint ms" ratio \
  "peak MB" "RGB MB"
for scan in scan27 scan108; do
  for kind in "${kinds[@]}"; do
    make_scan "$scan" "$kind"
    file="$data/$scan-$kind"
    gdal1=$(best_ms env GDAL_NUM_THREADS=1 gdal_translate -q -of ENVI "$file" "$out")
    gdalall=$(best_ms env GDAL_NUM_THREADS=ALL_CPUS gdal_translate -q -of ENVI "$file" "$out")
    case "$kind" in
      *.tif) tool=$(best_ms tiffcp -m 0 -c none "$file" "$out") ;;
      *.jp2) tool=$(opj_ms "$file") ;;
      *) tool=- ;;
    esac
    rm -f "$out" "${out%.raw}.hdr" "$out.aux.xml"
    width=0 height=0 open_ms=0 peak_mb=0
    read -r width height open_ms _ peak_mb < <(run_wine_in "$arch" \
      "$(win_build_dir "$arch")/bench/app_open_paint_timer.exe" "$(wine_path "$file")" "$repeats" --peak \
      2>/dev/null | tr -d '\r')
    [ "$width" != refused ] || { echo "open_formats: the program refused $file" >&2; exit 1; }
    awk -v s="$scan" -v k="$kind" -v a="$gdal1" -v b="$gdalall" -v t="$tool" -v o="$open_ms" -v p="$peak_mb" \
      -v w="$width" -v h="$height" 'BEGIN {
      f = a; if (b < f) f = b; if (t != "-" && t < f) f = t
      printf "%-8s %-18s %9d %9d %9s %14.1f %6.2f %9.1f %9.1f\n", s, k, a, b, t, o, o / f, p, w * h * 3 / 1048576 }'
  done
done
echo "(best of $repeats; ms; x86-64 build under Wine; ratio = open+paint / the fastest outside tool. open+paint:"
echo " File Open's work from the open to the first full paint of a 1024 x 700 view; GDAL and tiffcp also write"
echo " the raw image. peak MB: the process's peak working set over the opens; RGB MB: the decoded scan.)"
stop_wine "$arch"
