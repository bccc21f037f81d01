#!/usr/bin/env bash
# Fuzzes the coordinate grammar and the point file reader with libFuzzer
# under AddressSanitizer and UBSan. Usage: tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${BUILD:-build}/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  tests/fuzz/fuzz_parsers.cpp core/georef/DegreeParser.cpp core/georef/NumberScan.cpp core/georef/NumberFormat.cpp \
  core/georef/PointFile.cpp core/georef/GeoRefFit.cpp core/georef/GeoRefArray.cpp core/georef/SideFile.cpp \
  -o "$out/fuzz_parsers"
printf '10 30 15 N\0002 3 4 E' > "$out/corpus/seed1"
printf '1.5,2.5,3,4\r\n5,6,7,8\r\n' > "$out/corpus/seed2"
"$out/fuzz_parsers" -max_total_time="${1:-60}" -max_len=128 "$out/corpus"
