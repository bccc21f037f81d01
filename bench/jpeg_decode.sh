#!/usr/bin/env bash
# Decoding the 27-MP and 108-MP benchmark scans: djpeg, our decoder natively,
# and our decoder in the Win32 build under Wine, in the same run on the same
# files. Prints the best of REPEATS runs (default 3) and the ratios to djpeg.
# Run by 'make bench' (tools/bench.sh sets BENCH_BUILD); standalone:
#   BENCH_BUILD=build/bench bash bench/jpeg_decode.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bench_build=${BENCH_BUILD:-${BUILD:-build}/bench}
win32_build="$bench_build-win32"
repeats=${REPEATS:-3}

# The native timer: built with the bench build (Release, no sanitizers).
if [ ! -f "$bench_build/CMakeCache.txt" ]; then
  cmake -S . -B "$bench_build" -DCMAKE_BUILD_TYPE=Release -DQUARVEX_SANITIZE=OFF >/dev/null
fi
cmake --build "$bench_build" --target jpeg_decode_timer -j"$(nproc)" >/dev/null
# The Win32 timer: a Release build of its own beside the bench build.
if [ ! -f "$win32_build/CMakeCache.txt" ]; then
  cmake -S . -B "$win32_build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$win32_build" --target jpeg_decode_timer -j"$(nproc)" >/dev/null

if [ ! -f bench/make_scans.sh ]; then
  echo "jpeg_decode: bench/make_scans.sh is missing: it makes the benchmark scans" >&2
  exit 1
fi
data=$(bash bench/make_scans.sh "$bench_build/data" | tail -n 1)

# Best wall time of djpeg writing PPM to /dev/null, in milliseconds.
time_djpeg() {
  local best=
  for _ in $(seq "$repeats"); do
    local start end ms
    start=$(date +%s%N)
    djpeg -ppm -outfile /dev/null "$1"
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

prefix="$root/$win32_build/wineprefix"
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
