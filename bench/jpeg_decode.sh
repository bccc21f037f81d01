#!/usr/bin/env bash
# Decoding the 27-MP and 108-MP benchmark scans: djpeg, our decoder natively,
# and our decoder in the x86 and x86-64 builds under Wine, in the same run on
# the same files. Prints the best of REPEATS runs (default 3) and the ratios
# to djpeg.
source "$(dirname "$0")/bench-lib.sh"

build_native_target jpeg_decode_timer
for arch in "${bench_arches[@]}"; do build_win_target "$arch" jpeg_decode_timer; done
data=$(bench_scans)

printf '%-10s %6s %10s %10s %7s %10s %7s %10s %7s\n' scan MP "djpeg ms" "ours ms" ratio "x86 ms" ratio \
  "x86-64 ms" ratio
for scan in scan27 scan108; do
  file="$data/$scan.jpg"
  djpeg_ms=$(time_djpeg "$file")
  read -r width height native_ms _ native_sum < <("$bench_build/bench/jpeg_decode_timer" "$file" "$repeats")
  declare -A wine_ms=([win32]=- [win64]=-)
  for arch in "${bench_arches[@]}"; do
    read -r _ _ ms _ sum < <(run_wine_in "$arch" "$(win_build_dir "$arch")/bench/jpeg_decode_timer.exe" \
      "$(wine_path "$file")" "$repeats" 2>/dev/null | tr -d '\r')
    if [ "$native_sum" != "$sum" ]; then
      echo "jpeg_decode: the $arch build decoded $scan to other pixels ($sum, natively $native_sum)" >&2
      exit 1
    fi
    wine_ms[$arch]=$ms
  done
  awk -v s="$scan" -v w="$width" -v h="$height" -v d="$djpeg_ms" -v n="$native_ms" -v x="${wine_ms[win32]}" \
    -v y="${wine_ms[win64]}" '
    function cell(ms) { return ms == "-" ? sprintf(" %10s %7s", "-", "-") : sprintf(" %10.1f %7.2f", ms, ms / d) }
    BEGIN { printf "%-10s %6.1f %10d %10.1f %7.2f%s%s\n", s, w * h / 1e6, d, n, n / d, cell(x), cell(y) }'
done
echo "(best of $repeats; ratio = time / djpeg's. djpeg streams rows to /dev/null; ours reads the file and"
echo " fills a fresh whole-image RGB buffer, as opening a document does. Under Wine: our Win32 builds, static"
echo " libjpeg-turbo with its 32-bit and 64-bit SIMD.)"
stop_wine "${bench_arches[@]}"
