#!/usr/bin/env bash
# Builds the benchmarks without sanitizers, optimised, and runs each one:
# every bench_* program of the native bench build, then every bench/*.sh
# (benchmarks that need the Win32 build or outside tools).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
export BENCH_BUILD=${BUILD:-build}/bench
cmake -S . -B "$BENCH_BUILD" -DCMAKE_BUILD_TYPE=Release -DQUARVEX_SANITIZE=OFF >/dev/null
cmake --build "$BENCH_BUILD" -j"$(nproc)" >/dev/null
if [ "${1:-}" ]; then only=$1; else only=; fi
for program in "$BENCH_BUILD"/bench/bench_*; do
  [ -x "$program" ] || continue
  [ -z "$only" ] || [[ "$(basename "$program")" == *"$only"* ]] || continue
  echo "== $(basename "$program")"
  "$program"
done
for script in bench/*.sh; do
  [ -f "$script" ] || continue
  # Helpers of the benchmarks, not benchmarks.
  case "$(basename "$script")" in make_scans.sh|bench-lib.sh) continue ;; esac
  [ -z "$only" ] || [[ "$(basename "$script")" == *"$only"* ]] || continue
  echo "== $(basename "$script")"
  bash "$script"
done
