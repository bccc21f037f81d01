// Reads the vector layers of a GeoPackage (from any writer: GDAL, QGIS, ours)
// into layers of features in map coordinates with typed fields. The file is
// read whole through the file seam and opened by SQLite in memory, read-only.
#pragma once

#include <string>
#include <vector>

#include "core/base/Status.h"
#include "core/shape/VectorLayer.h"
#include "core/io/FileSystem.h"

enum class GeoPackageReadError
{
    None,
    CannotOpen,      // the file is missing or cannot be opened
    ReadFailed,      // a read stopped before the end of the file
    NotGeoPackage,   // no SQLite database, or one without GeoPackage feature tables
    Damaged,         // SQLite found the database damaged, or a geometry does not decode
    NoLayer,         // no vector layer of that name
    NoMemory,
};
using GeoPackageReadStatus = CStatus<GeoPackageReadError>;

// A vector layer as gpkg_contents and gpkg_geometry_columns describe it.
struct CGeoPackageLayerInfo
{
    std::string strName;
    std::string strGeometryType;   // POINT, MULTIPOLYGON, GEOMETRY...
    int nSrsId = 0;
    std::string strOrganization;   // "EPSG" for most; NONE for the undefined systems
    int nOrganizationCode = 0;
    std::string strDefinition;   // the system's WKT, or "undefined"
};

GeoPackageReadStatus ListGeoPackageLayers(const std::string& path, CFileSystem& files,
                                          std::vector<CGeoPackageLayerInfo>* pLayers);

// A field of the layer model from a column's declared type (any letter
// case); false for a type it has no room for (a blob, a geometry).
bool FieldOfDeclaredType(const std::string& strName, const std::string& strDeclared, CLayerField* pField);

// The layer in fid order. Fields of a type the layer model has no room for
// (blobs) are left out; features whose geometry is of another kind than the
// layer's (a collection, say) get no geometry and are counted in
// *pnOtherKinds. On failure *pLayer is left as it was.
GeoPackageReadStatus ReadGeoPackageLayer(const std::string& path, const std::string& strLayer, CFileSystem& files,
                                         CVectorLayer* pLayer, CGeoPackageLayerInfo* pInfo, int* pnOtherKinds);
