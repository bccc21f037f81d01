#!/usr/bin/python3
"""Makes the program's catalogue of coordinate reference systems from PROJ's
database on the build machine (Debian's python3-pyproj over proj-data's proj.db).

Usage: make-crs-catalogue.py OUTPUT.cpp

Every non-deprecated geographic 2D and projected CRS of the EPSG register,
one line each, in code order:

    code TAB G|P TAB name TAB area of use TAB ESRI WKT1 LF

The text is UTF-8 (areas of use carry degree signs) and goes into OUTPUT.cpp
compressed with zlib, as the array that core/crs/CrsCatalogueData.h declares.
The WKT is PROJ's WKT1_ESRI export on one line: the text GDAL writes in a
.prj for the same code. A CRS that has no ESRI form is left out, since it
could never be written to a .prj.
"""
import os
import sys
import warnings
import zlib

from pyproj import CRS, database, proj_version_str
from pyproj.enums import PJType, WktVersion


def esri_wkt(code):
    with warnings.catch_warnings():
        # pyproj warns, then answers None, for a CRS without an ESRI form.
        warnings.simplefilter("ignore")
        return CRS.from_epsg(code).to_wkt(WktVersion.WKT1_ESRI)


def catalogue_lines():
    infos = database.query_crs_info(
        auth_name="EPSG", pj_types=[PJType.GEOGRAPHIC_2D_CRS, PJType.PROJECTED_CRS], allow_deprecated=False
    )
    entries = {}
    left_out = []
    for info in infos:
        code = int(info.code)
        if code in entries or code in left_out:
            continue  # one line per usage of a CRS; the first area of use stays
        wkt = esri_wkt(code)
        if not wkt:
            left_out.append(code)
            continue
        kind = "G" if info.type == PJType.GEOGRAPHIC_2D_CRS else "P"
        area = info.area_of_use.name if info.area_of_use else ""
        fields = [str(code), kind, info.name, area, wkt]
        for field in fields:
            if "\t" in field or "\n" in field or "\r" in field:
                sys.exit("make-crs-catalogue: EPSG:%d has a tab or line break in %r" % (code, field))
        if not wkt.isascii():
            sys.exit("make-crs-catalogue: the WKT of EPSG:%d is not ASCII" % code)
        entries[code] = "\t".join(fields) + "\n"
    return [entries[code] for code in sorted(entries)], left_out


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    output = sys.argv[1]
    lines, left_out = catalogue_lines()
    if len(lines) < 1000:
        sys.exit("make-crs-catalogue: only %d CRSs found; is proj-data installed?" % len(lines))
    text = "".join(lines).encode("utf-8")
    packed = zlib.compress(text, 9)
    source = "EPSG %s, PROJ %s" % (database.get_database_metadata("EPSG.VERSION"), proj_version_str)

    out = []
    out.append("// Made by tools/make-crs-catalogue.py from PROJ's database; do not edit.\n")
    out.append("// %s: %d systems, %d bytes of text, %d compressed.\n" % (source, len(lines), len(text), len(packed)))
    out.append('#include "core/crs/CrsCatalogueData.h"\n\n')
    out.append('const char kCrsCatalogueSource[] = "%s";\n' % source)
    out.append("const size_t kCrsCatalogueTextSize = %d;\n" % len(text))
    out.append("const size_t kCrsCatalogueDataSize = %d;\n" % len(packed))
    out.append("const unsigned char kCrsCatalogueData[] = {\n")
    for start in range(0, len(packed), 24):
        out.append(",".join(str(b) for b in packed[start : start + 24]) + ",\n")
    out.append("};\n")

    # Written under another name first: a failed run leaves no half file
    # that the next build would take as made.
    temporary = output + ".tmp"
    with open(temporary, "w", encoding="ascii", newline="\n") as f:
        f.write("".join(out))
    os.replace(temporary, output)
    print("make-crs-catalogue: %s: %d systems (%d without an ESRI form left out: %s), %d -> %d bytes"
          % (source, len(lines), len(left_out), " ".join(map(str, left_out)), len(text), len(packed)))


if __name__ == "__main__":
    main()
