#!/usr/bin/env bash
# The program's start-up under Wine with PROJ's database beside it and
# without it: PROJ is linked in, but proj.db is opened only by the first
# image whose control points are typed in another system than the output's,
# so the two rows should not differ beyond the machine's noise. Best of
# 3 x REPEATS starts, the two alternated.
source "$(dirname "$0")/bench-lib.sh"

build_win_target "$bench_arch" quarvex
build_win_target "$bench_arch" app_startup_timer
dir=$(win_build_dir "$bench_arch")
data="$bench_build/data/startup"
rm -rf "$data"
mkdir -p "$data/with" "$data/without"
cp "$dir/app/quarvex.exe" "$data/with/"
cp "$dir/app/quarvex.exe" "$data/without/"
cp "$dir/app/proj.db" "$data/with/"
timer="$dir/bench/app_startup_timer.exe"
runs=$((repeats * 3))

printf '%-8s %-34s %10s\n' build start "ms"
start_ms() {
  run_wine_in "$bench_arch" "$timer" "$(wine_path "$data/$1/quarvex.exe")" "$repeats" 2>/dev/null | tr -d '\r'
}
for _ in 1 2 3; do
  start_ms with >>"$data/with.ms"
  start_ms without >>"$data/without.ms"
done
with=$(sort -n "$data/with.ms" | head -n 1)
without=$(sort -n "$data/without.ms" | head -n 1)
printf '%-8s %-34s %10.1f\n' "$(arch_name "$bench_arch")" "proj.db beside" "$with"
printf '%-8s %-34s %10.1f\n' "$(arch_name "$bench_arch")" "no proj.db" "$without"
echo "(from CreateProcess to the first wait for input, the start-up File Open dialog shown; best of $runs starts.)"
stop_wine "$bench_arch"
