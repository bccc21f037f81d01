#!/usr/bin/env bash
# Opening and first painting of the 27-MP and 108-MP benchmark scans in
# quarvex.exe's own windows under Wine, in the x86 and the x86-64 build,
# beside djpeg decoding the same files in the same run; then one scroll step
# at 400%, Transpose of the whole image and Copy of it, and the peak working
# set of the whole against the scan and its resampled copy as RGB. Prints
# the best of REPEATS opens (default 3) and the ratio to djpeg.
source "$(dirname "$0")/bench-lib.sh"

for arch in "${bench_arches[@]}"; do build_win_target "$arch" app_open_paint_timer; done
data=$(bench_scans)

printf '%-8s %-6s %6s %9s %14s %6s %11s %13s %9s %10s %9s\n' scan build MP "djpeg ms" "open+paint ms" ratio \
  "scroll ms" "transpose ms" "copy ms" "peak MB" "peak/RGB"
for scan in scan27 scan108; do
  file="$data/$scan.jpg"
  djpeg_ms=$(time_djpeg "$file")
  for arch in "${bench_arches[@]}"; do
    read -r width height open_ms scroll_ms transpose_ms copy_ms peak_mb < <(run_wine_in "$arch" \
      "$(win_build_dir "$arch")/bench/app_open_paint_timer.exe" "$(wine_path "$file")" "$repeats" --transpose \
      2>/dev/null | tr -d '\r')
    awk -v s="$scan" -v a="$(arch_name "$arch")" -v w="$width" -v h="$height" -v d="$djpeg_ms" -v o="$open_ms" -v c="$scroll_ms" \
      -v t="$transpose_ms" -v y="$copy_ms" -v p="$peak_mb" 'BEGIN {
      rgb = 2 * w * h * 3 / 1048576
      printf "%-8s %-6s %6.1f %9d %14.1f %6.2f %11.2f %13.1f %9.1f %10.1f %9.2f\n", s, a,
        w * h / 1e6, d, o, o / d, c, t, y, p, p / rgb }'
  done
done
echo "(best of $repeats opens; open+paint: File Open's work in quarvex.exe's classes under Wine, from the open to"
echo " the first full paint of a 1024 x 700 view; djpeg streams rows to /dev/null. scroll: one step of 64 pixels"
echo " each way at 400% with its repaint, mean of 40. transpose, copy: the commands on the whole image, once."
echo " peak/RGB: peak working set of open + Transpose over scan + resampled copy as RGB.)"
stop_wine "${bench_arches[@]}"
