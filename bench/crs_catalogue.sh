#!/usr/bin/env bash
# The built-in coordinate-system catalogue: inflating and indexing it (done
# once, when a dialog, an open image with a system or a save first needs it;
# never at start-up), and one search, natively and in the Win32 build under
# Wine. Best of REPEATS runs (default 3).
source "$(dirname "$0")/bench-lib.sh"

build_native_target crs_catalogue_timer
build_win_target "$bench_arch" crs_catalogue_timer

printf '%-8s %8s %12s %11s %9s %11s\n' build systems compressed text "load ms" "search ms"
report() {
  awk -v b="$1" '{ printf "%-8s %8d %12d %11d %9.2f %11.2f\n", b, $1, $2, $3, $4, $5 }'
}
"$bench_build/bench/crs_catalogue_timer" "$repeats" | report native
run_wine_in "$bench_arch" "$(win_build_dir "$bench_arch")/bench/crs_catalogue_timer.exe" "$repeats" 2>/dev/null | tr -d '\r' | report "$(arch_name "$bench_arch")"
echo "(load: zlib inflate of the embedded data and the index of its lines; search: \"wgs 84 utm 33\".)"
