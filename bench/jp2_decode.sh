#!/usr/bin/env bash
# Decoding the 27-MP benchmark scan as JPEG 2000 (made once from scan27.jpg
# by opj_compress: lossy 20:1, 1024 x 1024 tiles, 6 resolutions):
# opj_decompress on every core, our decoder natively and in the Win32 builds
# under Wine, at full size and at a quarter (two levels down). Prints the
# best of REPEATS runs (default 3) and the ratios to opj_decompress.
source "$(dirname "$0")/bench-lib.sh"

build_native_target scan_decode_timer
for arch in "${bench_arches[@]}"; do build_win_target "$arch" scan_decode_timer; done
data=$(bench_scans)
file="$data/scan27.jp2"
if [ ! -f "$file" ]; then
  djpeg -ppm -outfile "$data/scan27.ppm" "$data/scan27.jpg"
  opj_compress -i "$data/scan27.ppm" -o "$file" -r 20 -n 6 -t 1024,1024 -threads ALL_CPUS >/dev/null
  rm -f "$data/scan27.ppm"
fi

printf '%-8s %6s %10s %10s %7s %10s %7s %10s %7s\n' level MP "opj ms" "ours ms" ratio "x86 ms" ratio \
  "x86-64 ms" ratio
for reduce in 0 2; do
  opj=$(opj_ms "$file" -r "$reduce")
  read -r width height native_ms _ native_sum < <("$bench_build/bench/scan_decode_timer" "$file" "$repeats" "$reduce")
  declare -A wine_ms=([win32]=- [win64]=-)
  for arch in "${bench_arches[@]}"; do
    read -r _ _ ms _ sum < <(run_wine_in "$arch" "$(win_build_dir "$arch")/bench/scan_decode_timer.exe" \
      "$(wine_path "$file")" "$repeats" "$reduce" 2>/dev/null | tr -d '\r')
    if [ "$native_sum" != "$sum" ]; then
      echo "jp2_decode: the $arch build decoded other pixels ($sum, natively $native_sum)" >&2
      exit 1
    fi
    wine_ms[$arch]=$ms
  done
  awk -v r="1/$((1 << reduce))" -v w="$width" -v h="$height" -v d="$opj" -v n="$native_ms" \
    -v x="${wine_ms[win32]}" -v y="${wine_ms[win64]}" '
    function cell(ms) { return ms == "-" ? sprintf(" %10s %7s", "-", "-") : sprintf(" %10.1f %7.2f", ms, ms / d) }
    BEGIN { printf "%-8s %6.1f %10d %10.1f %7.2f%s%s\n", r, w * h / 1e6, d, n, n / d, cell(x), cell(y) }'
done
echo "(best of $repeats on $(nproc) threads; ratio = time / opj_decompress's decode time, which leaves out"
echo " the file it writes; ours reads the file and fills a fresh whole-image RGB buffer. Under Wine: our Win32"
echo " builds, static OpenJPEG from Debian's source.)"
stop_wine "${bench_arches[@]}"
