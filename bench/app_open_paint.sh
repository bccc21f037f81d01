#!/usr/bin/env bash
# Opening and first painting of the 27-MP and 108-MP benchmark scans in
# quarvex.exe's own windows under Wine, beside djpeg decoding the same files
# in the same run; then one scroll step at 400% on each. Prints the best of
# REPEATS runs (default 3) and the ratio to djpeg.
source "$(dirname "$0")/bench-lib.sh"

build_win32_target app_open_paint_timer
data=$(bench_scans)

run_timer() {
  run_wine "$win32_build/bench/app_open_paint_timer.exe" "$(wine_path "$1")" "$repeats"
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
