// The catalogue of coordinate reference systems as the build made it from
// PROJ's database (tools/make-crs-catalogue.py): zlib-compressed UTF-8 text,
// one system a line, "code TAB G|P TAB name TAB area TAB ESRI WKT1".
#pragma once

#include <cstddef>

extern const unsigned char kCrsCatalogueData[];
extern const size_t kCrsCatalogueDataSize;
// The size of the text once inflated.
extern const size_t kCrsCatalogueTextSize;
// Which EPSG register and PROJ it came from ("EPSG v10.076, PROJ 9.1.1").
extern const char kCrsCatalogueSource[];
