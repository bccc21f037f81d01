#!/usr/bin/env bash
# Decoding the 27-MP benchmark scan as TIFF (LZW strips, DEFLATE tiles, JPEG
# tiles, uncompressed) and PNG, each made once from scan27.jpg by
# gdal_translate: our decoder natively and in the Win32 builds under Wine,
# beside GDAL reading the same file into a raw image on one thread and on
# every core, and tiffcp writing it uncompressed. Prints the best of REPEATS
# runs (default 3) and each ratio to the fastest outside tool.
source "$(dirname "$0")/bench-lib.sh"

build_native_target scan_decode_timer
for arch in "${bench_arches[@]}"; do build_win_target "$arch" scan_decode_timer; done
data=$(bench_scans)
declare -A options=(
  [lzw.tif]="-co COMPRESS=LZW"
  [deflate-tiled.tif]="-co COMPRESS=DEFLATE -co TILED=YES"
  [jpeg-tiled.tif]="-co COMPRESS=JPEG -co TILED=YES"
  [none.tif]="-co COMPRESS=NONE"
  [png]="-of PNG"
)
kinds=(lzw.tif deflate-tiled.tif jpeg-tiled.tif none.tif png)
for kind in "${kinds[@]}"; do
  [ -f "$data/scan27-$kind" ] || gdal_translate -q ${options[$kind]} "$data/scan27.jpg" "$data/scan27-$kind"
done
# GDAL's raw (ENVI) writer needs a name with an extension: it puts its .hdr beside.
out="$data/scan-decode-out.raw"

printf '%-18s %9s %9s %9s %9s %6s %9s %6s %9s %6s\n' file "gdal 1" "gdal all" tiffcp "ours" ratio "x86" ratio \
  "x86-64" ratio
for kind in "${kinds[@]}"; do
  file="$data/scan27-$kind"
  gdal1=$(best_ms env GDAL_NUM_THREADS=1 gdal_translate -q -of ENVI "$file" "$out")
  gdalall=$(best_ms env GDAL_NUM_THREADS=ALL_CPUS gdal_translate -q -of ENVI "$file" "$out")
  tiff=-
  case "$kind" in *.tif) tiff=$(best_ms tiffcp -m 0 -c none "$file" "$out") ;; esac
  rm -f "$out" "${out%.raw}.hdr" "$out.aux.xml"
  read -r _ _ native_ms _ native_sum < <("$bench_build/bench/scan_decode_timer" "$file" "$repeats")
  declare -A wine_ms=([win32]=- [win64]=-)
  for arch in "${bench_arches[@]}"; do
    read -r _ _ ms _ sum < <(run_wine_in "$arch" "$(win_build_dir "$arch")/bench/scan_decode_timer.exe" \
      "$(wine_path "$file")" "$repeats" 2>/dev/null | tr -d '\r')
    if [ "$native_sum" != "$sum" ]; then
      echo "scan_decode: the $arch build decoded other pixels from $kind ($sum, natively $native_sum)" >&2
      exit 1
    fi
    wine_ms[$arch]=$ms
  done
  awk -v k="$kind" -v a="$gdal1" -v b="$gdalall" -v t="$tiff" -v n="$native_ms" -v x="${wine_ms[win32]}" \
    -v y="${wine_ms[win64]}" '
    function cell(ms) { return ms == "-" ? sprintf(" %9s %6s", "-", "-") : sprintf(" %9.1f %6.2f", ms, ms / f) }
    BEGIN { f = a; if (b < f) f = b; if (t != "-" && t < f) f = t
            printf "%-18s %9d %9d %9s%s%s%s\n", k, a, b, t, cell(n), cell(x), cell(y) }'
done
echo "(best of $repeats; ms; ratio = time / the fastest outside tool. GDAL and tiffcp also write the raw image,"
echo " ours fills a fresh RGB buffer. Under Wine: our Win32 builds over static libtiff and libpng from Debian's source.)"
stop_wine "${bench_arches[@]}"
