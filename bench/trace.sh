#!/usr/bin/env bash
# The tracing search beside scikit-image's minimum-cost path (MCP, Dijkstra
# over the same window and the same pixel costs): bench_trace writes the
# longest move's window and its path, trace_skimage.py times the same search
# and says how far apart the two paths come.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "quarvex: case moves mean-ms max-ms cpu-mean-ms cpu-max-ms mean-settled-pixels"
"${BENCH_BUILD:-build/bench}/bench/bench_trace" "$out"
echo "skimage MCP on the longest move's window: window-pixels ms cpu-ms path-hausdorff-px"
/usr/bin/python3 bench/trace_skimage.py "$out"
