#!/usr/bin/env bash
# Opening and first painting of the 27-MP and 108-MP benchmark scans in
# quarvex.exe's own windows under Wine, beside djpeg decoding the same files
# in the same run; then one scroll step at 400% on each. Prints the best of
# REPEATS runs (default 3) and the ratio to djpeg.
# Run by 'make bench' (tools/bench.sh sets BENCH_BUILD); standalone:
#   BENCH_BUILD=build/bench bash bench/app_open_paint.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bench_build=${BENCH_BUILD:-${BUILD:-build}/bench}
win32_build="$bench_build-win32"
repeats=${REPEATS:-3}

if [ ! -f "$win32_build/CMakeCache.txt" ]; then
  cmake -S . -B "$win32_build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$win32_build" --target app_open_paint_timer -j"$(nproc)" >/dev/null
if [ ! -f bench/make_scans.sh ]; then
  echo "app_open_paint: bench/make_scans.sh is missing: it makes the benchmark scans" >&2
  exit 1
fi
data=$(bash bench/make_scans.sh "$bench_build/data" | tail -n 1)

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
run_timer() {
  local windows_path="Z:${1//\//\\}"
  if [ -n "${DISPLAY:-}" ]; then
    tools/wine-run.sh "$prefix" "$win32_build/bench/app_open_paint_timer.exe" "$windows_path" "$repeats"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24" \
      tools/wine-run.sh "$prefix" "$win32_build/bench/app_open_paint_timer.exe" "$windows_path" "$repeats"
  fi
}

printf '%-8s %6s %9s %16s %7s %18s\n' scan MP "djpeg ms" "open+paint ms" ratio "scroll@400% ms"
for scan in scan27 scan108; do
  file="$data/$scan.jpg"
  djpeg_ms=$(time_djpeg "$file")
  read -r width height open_ms scroll_ms < <(run_timer "$file" 2>/dev/null | tr -d '\r')
  awk -v s="$scan" -v w="$width" -v h="$height" -v d="$djpeg_ms" -v o="$open_ms" -v c="$scroll_ms" 'BEGIN {
    printf "%-8s %6.1f %9d %16.1f %7.2f %18.2f\n", s, w * h / 1e6, d, o, o / d, c }'
done
echo "(best of $repeats; open+paint: File Open's work in quarvex.exe's classes under Wine, from the open"
echo " to the first full paint of a 1024 x 700 view; djpeg streams rows to /dev/null. scroll@400%: one"
echo " step of 64 pixels each way with its repaint, mean of 40.)"
