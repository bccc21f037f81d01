#!/usr/bin/env bash
# Builds the benchmarks without sanitizers, optimised, and runs each one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
build=${BUILD:-build}/bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARVEX_SANITIZE=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
for program in "$build"/bench/bench_*; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  "$program"
done
