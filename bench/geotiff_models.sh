#!/usr/bin/env bash
# The GeoTIFF export of the 108-MP benchmark scan through each curved fit
# beside gdalwarp -order 2, -order 3 and -tps on one thread (bench/geotiff.cpp,
# --models). Natively: gdalwarp runs here.
source "$(dirname "$0")/bench-lib.sh"
build_native_target bench_geotiff
"$bench_build/bench/bench_geotiff" --models
