#!/usr/bin/env bash
# Fuzzes the coordinate grammar, the point file reader, the recovery
# journal reader, the scan decoders, the Shapefile reader and the GeoPackage reader with libFuzzer under AddressSanitizer
# and UBSan, each for SECONDS.
# Usage: tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${BUILD:-build}/fuzz
mkdir -p "$out/corpus"
/usr/bin/python3 tools/make-codepage-tables.py "$out/CodePageTables.cpp"
flags=(-std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
clang++ "${flags[@]}" tests/fuzz/fuzz_parsers.cpp core/georef/*.cpp core/io/*.cpp core/journal/*.cpp \
  core/shape/Shape.cpp -lz -o "$out/fuzz_parsers"
# The scan decoders over the system's libraries.
clang++ "${flags[@]}" tests/fuzz/fuzz_scans.cpp core/scan/*.cpp core/jpeg/*.cpp core/raster/*.cpp \
  core/parallel/*.cpp core/georef/*.cpp core/io/*.cpp \
  $(pkg-config --cflags --libs libtiff-4 libpng libopenjp2 libjpeg) -lz -pthread -o "$out/fuzz_scans"
printf '10 30 15 N\0002 3 4 E' > "$out/corpus/seed1"
printf '1.5,2.5,3,4\r\n5,6,7,8\r\n' > "$out/corpus/seed2"
# Journal records (after the signature the target adds): one point feature;
# a polyline put back at index 0, then renamed and deleted.
python3 - "$out/corpus/seed3" "$out/corpus/seed4" <<'PY'
import struct, sys, zlib
def record(payload):
    return struct.pack('<II', len(payload), zlib.crc32(payload)) + payload
open(sys.argv[1], 'wb').write(record(struct.pack('<BqiIIii', 1, 1765000000, 1, 0, 1, 5, 6)))
insert = struct.pack('<BqiiI2sIiiii', 5, 1765000001, 0, 3, 2, b'ab', 2, 1, 2, 3, 4)
rename = struct.pack('<BqiI3s', 2, 1765000002, 0, 3, b'abc')
delete = struct.pack('<Bqi', 3, 1765000003, 0)
open(sys.argv[2], 'wb').write(record(insert) + record(rename) + record(delete))
PY
"$out/fuzz_parsers" -max_total_time="${1:-60}" -max_len=128 "$out/corpus"
# The decoders start from the fixtures of every format.
mkdir -p "$out/scan-corpus"
cp tests/data/scan/*.tif tests/data/scan/*.png tests/data/jp2/*.jp2 tests/data/jp2/*.j2k tests/data/jpeg/*.jpg \
  "$out/scan-corpus/"
"$out/fuzz_scans" -max_total_time="${1:-60}" -max_len=65536 -rss_limit_mb=4096 "$out/scan-corpus"
# The Shapefile reader starts from every fixture set, each packed as the
# target splits its input: the .shp's and the .shx's lengths, then the three files.
clang++ "${flags[@]}" tests/fuzz/fuzz_shapefile.cpp core/shape/*.cpp core/georef/*.cpp core/io/*.cpp \
  "$out/CodePageTables.cpp" -o "$out/fuzz_shapefile"
mkdir -p "$out/shp-corpus"
/usr/bin/python3 - "$out/shp-corpus" tests/data/shp/*.shp <<'PY'
import os, struct, sys
for shp in sys.argv[2:]:
    base = shp[:-4]
    parts = [open(base + ext, "rb").read() for ext in (".shp", ".shx", ".dbf")]
    if len(parts[0]) < 65536 and len(parts[1]) < 65536:
        packed = struct.pack("<HH", len(parts[0]), len(parts[1])) + b"".join(parts)
        open(os.path.join(sys.argv[1], os.path.basename(base)), "wb").write(packed)
PY
"$out/fuzz_shapefile" -max_total_time="${1:-60}" -max_len=65536 "$out/shp-corpus"
# The GeoPackage reader (and the save back) over the system's SQLite: whole databases made by
# ogr2ogr from the test layers, and the geometry blobs found in them.
clang++ "${flags[@]}" tests/fuzz/fuzz_gpkg.cpp core/gpkg/GeoPackageReader.cpp core/gpkg/GeoPackageUpdate.cpp \
  core/gpkg/GeometryBlob.cpp \
  core/io/*.cpp -lsqlite3 -o "$out/fuzz_gpkg"
rm -rf "$out/gpkg-corpus" && mkdir -p "$out/gpkg-corpus"
for layer in parcels roads wells; do
  ogr2ogr -f GPKG "$out/gpkg-corpus/$layer.gpkg" "tests/data/gpkg/$layer.geojson" -nln "$layer"
  sqlite3 "$out/gpkg-corpus/$layer.gpkg" "SELECT hex(geom) FROM $layer WHERE geom NOT NULL" |
    while read -r hex; do echo "$hex" | xxd -r -p >"$out/gpkg-corpus/$layer-$RANDOM.blob"; done
done
"$out/fuzz_gpkg" -max_total_time="${1:-60}" -max_len=131072 "$out/gpkg-corpus"
