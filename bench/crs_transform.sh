#!/usr/bin/env bash
# Control points carried into the output system: 10,000 points of a 6 x 4
# degree sheet from WGS 84 degrees into UTM 33N and into the Lambert
# conformal conic of Europe, natively and in the Win32 build under Wine,
# beside PROJ's own cs2cs on the same points in the same run (a process of
# its own: start-up, proj.db and the points through text). Best of REPEATS.
source "$(dirname "$0")/bench-lib.sh"

build_native_target crs_transform_timer
build_win_target "$bench_arch" crs_transform_timer
points="$bench_build/data/crs-points.txt"
mkdir -p "$(dirname "$points")"
awk 'BEGIN { for (i = 0; i < 100; i++) for (j = 0; j < 100; j++) printf "%.6f %.6f\n", 12 + 6 * i / 99, 44 + 4 * j / 99 }' >"$points"
# cs2cs takes WGS 84 in the register's order, latitude first.
swapped="$bench_build/data/crs-points-latlon.txt"
awk '{ print $2, $1 }' "$points" >"$swapped"

printf '%-8s %-8s %7s %10s %13s %11s\n' build target points "create ms" "transform ms" "cs2cs ms"
for target in 32633 3034; do
  cs2cs_ms=$(best_ms env PROJ_DATA="$bench_build/proj/share" PROJ_NETWORK=OFF sh -c \
    "cs2cs EPSG:4326 EPSG:$target <'$swapped'")
  "$bench_build/bench/crs_transform_timer" "$bench_build/proj/share" 4326 "$target" "$repeats" <"$points" |
    awk -v t="$target" -v c="$cs2cs_ms" '{ printf "%-8s %-8s %7d %10.2f %13.3f %11d\n", "native", t, $1, $2, $3, c }'
  dir=$(win_build_dir "$bench_arch")
  run_wine_in "$bench_arch" "$dir/bench/crs_transform_timer.exe" "$(wine_path "$dir/proj/share")" 4326 "$target" \
    "$repeats" <"$points" 2>/dev/null | tr -d '\r' |
    awk -v t="$target" -v a="$(arch_name "$bench_arch")" '{ printf "%-8s %-8s %7d %10.2f %13.3f %11s\n", a, t, $1, $2, $3, "-" }'
done
echo "(create: the first operation, opening proj.db; transform: 10,000 points once the operation exists, the"
echo " cost each refit pays; cs2cs: the whole process on the same points, for scale.)"
stop_wine "$bench_arch"
