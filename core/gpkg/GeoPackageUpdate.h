// Writes edits of one layer back into the GeoPackage it was read from: the
// rows nobody changed, the other layers and tables stay as they are, the
// spatial index follows through the file's own triggers (or directly, when
// it has none), and the file is replaced in one step or not at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/gpkg/GeoPackageWriter.h"

// One row to change (nFid > 0) or to add (nFid 0).
struct CGeoPackageRowChange
{
    int64_t nFid = 0;
    bool bGeometry = false;                      // parts replace the row's geometry (a new row always has them)
    std::vector<std::vector<CMapPoint>> parts;   // as CVectorFeature holds them
    // Columns set, by name; values as CVectorFeature holds them (no value: NULL).
    std::vector<std::pair<std::string, std::optional<std::string>>> values;
};

struct CGeoPackageLayerEdits
{
    std::string strTable;
    GeometryKind nKind = GeometryKind::None;   // the kind new geometries are written as
    // Columns changed before any row: removed, renamed (from, to), added.
    std::vector<std::string> removed;
    std::vector<std::pair<std::string, std::string>> renamed;
    std::vector<CLayerField> added;
    std::vector<int64_t> deleted;
    std::vector<CGeoPackageRowChange> rows;
};

// Applies the edits to the file at path.
GeoPackageWriteStatus UpdateGeoPackageLayer(const std::string& path, const CGeoPackageLayerEdits& edits,
                                            CFileSystem& files);
