#!/usr/bin/env bash
# The 32-bit program's Transpose on the benchmark scans, under Wine: the same
# resampling as bench_transpose measures natively, built as the program is
# (mingw, SSE2, 32-bit). Uses the Win32 tree of the test build.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
win32="$build/win32"
cmake -S . -B "$win32" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$win32" --target bench_transpose -j"$(nproc)" >/dev/null
data=$(bash bench/make_scans.sh "${BENCH_BUILD:-$build/bench}/data")
mkdir -p "$data/transpose"
prefix="$PWD/$win32/bench-wineprefix"
scans=()
for scan in scan27 scan108; do
  ppm="$data/transpose/$scan.ppm"
  if [ ! -s "$ppm" ]; then
    djpeg -ppm -outfile "$ppm.part" "$data/$scan.jpg"
    mv "$ppm.part" "$ppm"
  fi
  cp -f "$data/$scan.tvg" "$data/transpose/$scan.tvg"
  scans+=("Z:${ppm//\//\\}") # Wine's drive Z: is the Unix root
done
rc=0
tools/wine-run.sh "$prefix" "$win32/bench/bench_transpose.exe" "${scans[@]}" || rc=$?
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
exit $rc
