#!/usr/bin/env bash
# Refit and residual refresh after one control-point change, in the 32-bit
# program's code under Wine, for 10, 100 and 1,000 points: the budget is one
# frame (16 ms) at 100 points. The native numbers come from bench_refit itself.
source "$(dirname "$0")/bench-lib.sh"
build_win_target "$bench_arch" bench_refit
run_wine_in "$bench_arch" "$(win_build_dir "$bench_arch")/bench/bench_refit.exe" 2>/dev/null | tr -d '\r' | awk -v build="$(arch_name "$bench_arch")" '
  { ms = $3; printf "Win32 %s under Wine: %4d points, chosen model %-19s %8.3f ms a change%s\n", build, $1, $2, ms,
      ($1 == 100 && ms >= 16) ? "  OVER ONE FRAME" : "" }'
stop_wine "$bench_arch"
