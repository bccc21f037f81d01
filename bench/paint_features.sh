#!/usr/bin/env bash
# Painting 100,000 polylines of 10 vertices over a 27-MP scan at 100% while
# scrolling, in quarvex.exe's own windows under Wine, in the x86-64 build
# (the goal: under 16 ms a frame). Prints the best of REPEATS runs (default 3).
source "$(dirname "$0")/bench-lib.sh"

build_win_target win64 paint_features_timer
best_scroll=1e30
for ((run = 0; run < repeats; run++)); do
  read -r features scroll_ms worst_ms repaint_ms < <(run_wine_in win64 \
    "$(win_build_dir win64)/bench/paint_features_timer.exe" 2>/dev/null | tr -d '\r')
  if awk -v a="$scroll_ms" -v b="$best_scroll" 'BEGIN { exit !(a < b) }'; then
    best_scroll=$scroll_ms best_worst=$worst_ms best_repaint=$repaint_ms
  fi
done
printf '%-8s %9s %15s %16s %17s %8s\n' build features "scroll ms/frame" "worst frame ms" "full repaint ms" goal
printf '%-8s %9d %15.2f %16.2f %17.2f %8s\n' x86-64 "$features" "$best_scroll" "$best_worst" "$best_repaint" "< 16"
echo "(best of $repeats runs; scroll: one step of 64 pixels each way at 100% with its repaint, mean of 40, and the"
echo " slowest of them; full repaint: the whole 1024 x 700 view once.)"
stop_wine win64
