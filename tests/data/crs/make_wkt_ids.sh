#!/usr/bin/env bash
# Makes wkt-ids.txt, the fixtures of the test of EpsgOfWkt: systems written
# by PROJ's projinfo as WKT2, as GDAL's WKT1 and as ESRI's WKT (which names
# no code), one a line: the code expected (0 for none), a tab, the WKT.
# Run again only to change the fixtures. Needs proj-bin.
set -euo pipefail
cd "$(dirname "$0")"
{
  for form in WKT2_2019 WKT1_GDAL; do
    for code in 3034 27700 4258; do
      printf '%s\t%s\n' "$code" "$(projinfo -o "$form" --single-line -q "EPSG:$code")"
    done
  done
  printf '0\t%s\n' "$(projinfo -o WKT1_ESRI --single-line -q EPSG:3034)"
} >wkt-ids.txt
