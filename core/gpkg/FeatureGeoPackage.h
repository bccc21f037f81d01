// The document's features as a GeoPackage layer: the GeoPackage beside the
// Shapefile in Save As and Save.
#pragma once

#include <string>

#include "core/georef/CrsRef.h"
#include "core/gpkg/GeoPackageWriter.h"
#include "core/shape/ShapeFile.h"

// Whether a path names a GeoPackage (by its extension, in any letter case).
bool IsGeoPackagePath(const std::string& strPath);

// The layer of the features (named after the file), in map coordinates
// through the fit. Features digitised here get the fields ID and NAME, as
// in the program's Shapefiles; features opened from a Shapefile keep every
// field of its table, their NAME the name they have now, and those whose
// shape nobody changed (or which are kept whole) their file's exact
// coordinates, every part and ring. Names typed in nNameCodePage (the
// system's ANSI page) become UTF-8. False without a fit.
bool MakeFeatureLayer(const CShapeFile& shapeFile, ShapeType nShapeType, const std::string& strLayerName,
                      unsigned nNameCodePage, CVectorLayer* pLayer);

// MakeFeatureLayer, then WriteGeoPackage at strPath (named by its file).
GeoPackageWriteStatus WriteFeatureGeoPackage(const std::string& strPath, const CShapeFile& shapeFile,
                                             ShapeType nShapeType, const CCrsRef& crs, unsigned nNameCodePage,
                                             CFileSystem& files);
