#!/usr/bin/env bash
# The A0 sheet scanned at 600 dpi, 19866 x 28087 pixels (560 MP, 1.6 GB as
# RGB), made here once (not kept in the repository): opened, transposed,
# copied and exported as a GeoTIFF by the x86-64 build under Wine, with its
# times and peak working set; the x86 build must refuse it at once, from its
# header.
source "$(dirname "$0")/bench-lib.sh"

for arch in "${bench_arches[@]}"; do build_win_target "$arch" app_open_paint_timer; done
data=$(bash bench/make_scans.sh "$bench_build/data" large | tail -n 1)
file="$data/scan560.jpg"
echo "scan560: $(du -m "$file" | cut -f1) MB of JPEG; djpeg $(REPEATS=1 time_djpeg "$file") ms"

read -r width height open_ms _ transpose_ms copy_ms peak_mb export_ms export_w export_h peak_all_mb < <(run_wine_in win64 \
  "$win64_build/bench/app_open_paint_timer.exe" "$(wine_path "$file")" 1 --transpose --export 2>/dev/null | tr -d '\r')
awk -v w="$width" -v h="$height" -v o="$open_ms" -v t="$transpose_ms" -v c="$copy_ms" -v p="$peak_mb" 'BEGIN {
  printf "x86-64: %d x %d (%.0f MP): open+paint %.1f s, transpose %.1f s, copy %.1f s%s, peak working set %.0f MB (%.2f x scan + resampled RGB)\n",
    w, h, w * h / 1e6, o / 1000, t / 1000, c / 1000, c < 0 ? " (failed)" : "", p, p / (2 * w * h * 3 / 1048576) }'
awk -v e="$export_ms" -v w="$export_w" -v h="$export_h" -v p="$peak_all_mb" 'BEGIN {
  printf "x86-64: GeoTIFF export (whole image, bilinear, DEFLATE, %d x %d cells) %.1f s%s, peak working set of the whole run %.0f MB\n",
    w, h, e / 1000, e < 0 ? " (failed)" : "", p }'

if [ "$bench_arch" = win32 ]; then
  result=$(run_wine_in win32 "$win32_build/bench/app_open_paint_timer.exe" "$(wine_path "$file")" 1 2>/dev/null |
    tr -d '\r' || true)
  case "$result" in
    refused*) echo "x86: refused, message shown after ${result#refused } ms" ;;
    *) echo "x86: NOT refused: $result"; exit 1 ;;
  esac
fi
for arch in "${bench_arches[@]}"; do
  pixels=$(run_wine_in "$arch" "$(win_build_dir "$arch")/bench/app_open_paint_timer.exe" --limit 2>/dev/null | tr -d '\r')
  echo "$(arch_name "$arch"): the largest scan it opens now: $(( pixels / 1000000 )) MP"
done
stop_wine "${bench_arches[@]}"
