#!/usr/bin/env bash
# The 32-bit program's Transpose on the benchmark scans, under Wine: the same
# resampling as bench_transpose measures natively, built as the program is
# (mingw, SSE2, 32-bit).
source "$(dirname "$0")/bench-lib.sh"

build_win32_target bench_transpose
data=$(bench_scans)
mkdir -p "$data/transpose"
scans=()
for scan in scan27 scan108; do
  ppm="$data/transpose/$scan.ppm"
  if [ ! -s "$ppm" ]; then
    djpeg -ppm -outfile "$ppm.part" "$data/$scan.jpg"
    mv "$ppm.part" "$ppm"
  fi
  cp -f "$data/$scan.tvg" "$data/transpose/$scan.tvg"
  scans+=("$(wine_path "$ppm")")
done
rc=0
tools/wine-run.sh "$prefix" "$win32_build/bench/bench_transpose.exe" "${scans[@]}" || rc=$?
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
exit $rc
