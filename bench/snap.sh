#!/usr/bin/env bash
# The snap search beside GDAL/OGR: bench_snap (our scan and grid index) and
# the same features and points through a GeoPackage layer's R-tree and GEOS.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "quarvex: features build-ms scan-us-per-query index-us-per-query hits-scan hits-index"
"${BENCH_BUILD:-build/bench}/bench/bench_snap"
echo "ogr (GeoPackage R-tree, GEOS distance): features build-ms query-us-per-query hits"
/usr/bin/python3 bench/snap_ogr.py
