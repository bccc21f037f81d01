// Writes a layer as an OGC GeoPackage (1.3): one feature table with its
// geometry column, the coordinate system's definition, the layer's extent
// and an R*Tree spatial index. The database is built in memory and written
// through the file seam in one atomic replacement, like every other save.
#pragma once

#include <string>

#include "core/base/Status.h"
#include "core/georef/CrsRef.h"
#include "core/shape/VectorLayer.h"
#include "core/io/FileSystem.h"

enum class GeoPackageWriteError
{
    None,
    BadValue,      // a value that does not read as its field's type (detail: feature, field, value)
    Database,      // SQLite refused a step (detail: its words)
    WriteFailed,   // the file could not be written or replaced (detail: the path)
};
using GeoPackageWriteStatus = CStatus<GeoPackageWriteError>;

// The declared type of a column of the field, as GDAL names it.
inline std::string GeoPackageColumnType(const CLayerField& field)
{
    switch (field.nType)
    {
    case FieldType::Text: return field.nWidth > 0 ? "TEXT(" + std::to_string(field.nWidth) + ")" : "TEXT";
    // GDAL reads MEDIUMINT as a 32-bit field and INTEGER as a 64-bit one.
    case FieldType::Integer: return field.nWidth > 0 && field.nWidth <= 9 ? "MEDIUMINT" : "INTEGER";
    case FieldType::Real: return "REAL";
    case FieldType::Date: return "DATE";
    }
    return "TEXT";
}

// The file at path becomes the layer's GeoPackage, or stays as it was.
GeoPackageWriteStatus WriteGeoPackage(const std::string& path, const CVectorLayer& layer, const CCrsRef& crs,
                                      CFileSystem& files);
