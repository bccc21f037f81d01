#!/usr/bin/env bash
# The program's Transpose on the benchmark scans under Wine, in the x86 and
# the x86-64 build: the same resampling as bench_transpose measures natively,
# built as the program is (mingw, SSE2).
source "$(dirname "$0")/bench-lib.sh"

for arch in "${bench_arches[@]}"; do build_win_target "$arch" bench_transpose; done
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
for arch in "${bench_arches[@]}"; do
  run_wine_in "$arch" "$(win_build_dir "$arch")/bench/bench_transpose.exe" "${scans[@]}" 2>/dev/null | tr -d '\r' || rc=$?
done
stop_wine "${bench_arches[@]}"
exit $rc
