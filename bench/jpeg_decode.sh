#!/usr/bin/env bash
# Decoding the 27-MP and 108-MP benchmark scans: djpeg, our decoder natively,
# and our decoder in the Win32 build under Wine, in the same run on the same
# files. Prints the best of REPEATS runs (default 3) and the ratios to djpeg.
source "$(dirname "$0")/bench-lib.sh"

build_native_target jpeg_decode_timer
build_win32_target jpeg_decode_timer
data=$(bench_scans)

printf '%-10s %6s %10s %12s %7s %12s %7s\n' scan MP "djpeg ms" "ours ms" "ratio" "Wine ms" "ratio"
for scan in scan27 scan108; do
  file="$data/$scan.jpg"
  djpeg_ms=$(time_djpeg "$file")
  read -r width height native_ms _ native_sum < <("$bench_build/bench/jpeg_decode_timer" "$file" "$repeats")
  read -r _ _ wine_ms _ wine_sum < <(tools/wine-run.sh "$prefix" "$win32_build/bench/jpeg_decode_timer.exe" \
    "$file" "$repeats" 2>/dev/null | tr -d '\r')
  if [ "$native_sum" != "$wine_sum" ]; then
    echo "jpeg_decode: the Win32 build decoded $scan to other pixels ($wine_sum, natively $native_sum)" >&2
    exit 1
  fi
  awk -v s="$scan" -v w="$width" -v h="$height" -v d="$djpeg_ms" -v n="$native_ms" -v x="$wine_ms" 'BEGIN {
    printf "%-10s %6.1f %10d %12.1f %7.2f %12.1f %7.2f\n", s, w * h / 1e6, d, n, n / d, x, x / d }'
done
echo "(best of $repeats; ratio = time / djpeg's. djpeg streams rows to /dev/null; ours reads the file and"
echo " fills a fresh whole-image RGB buffer, as opening a document does. Wine: our Win32 build, static"
echo " libjpeg-turbo with its 32-bit SIMD.)"
