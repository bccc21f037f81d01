// The document's features as a GeoPackage layer: the GeoPackage beside the
// Shapefile in Save As and Save.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/georef/CrsRef.h"
#include "core/gpkg/GeoPackageReader.h"
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

// MakeFeatureLayer, then WriteGeoPackage at strPath (named by its file);
// WriteOpenedGeoPackage when strPath is the GeoPackage the features came from.
GeoPackageWriteStatus WriteFeatureGeoPackage(const std::string& strPath, const CShapeFile& shapeFile,
                                             ShapeType nShapeType, const CCrsRef& crs, unsigned nNameCodePage,
                                             CFileSystem& files);

// The document's view of a GeoPackage layer, as MakeOpenedLayer makes it of
// a Shapefile: each feature's first part in pixels, its name from the text
// field NAME (any letter case), the ID a number field ID. Features of no
// kind the document edits (a null or empty geometry, several parts or
// rings, a multipoint, another kind than the layer's) are kept whole.
bool MakeOpenedGeoPackageLayer(const std::string& strPath, CVectorLayer layer, const CPixelToMapTransform& transform,
                               COpenedLayer* pOpened, CShapeArray* pFeatures, unsigned nNameCodePage = 0);
// The layer's text field NAME and number field ID, in any letter case, as
// pOpened's name and id fields (-1 where there is none).
void FindGeoPackageNameAndId(const CVectorLayer& layer, COpenedLayer* pOpened);

// Whether the layer's system is another than the image's: told when both
// are known by their EPSG codes and differ, or the image has none while the
// layer names one.
bool GeoPackageSrsDiffers(const CGeoPackageLayerInfo& info, const CCrsRef& imageCrs);

// File > Save of features opened from a GeoPackage: the rows of features
// that changed their shape or name are updated, new features added (their
// ID their number, as in a Shapefile), features deleted removed; nothing
// else of the file changes.
GeoPackageWriteStatus WriteOpenedGeoPackage(const CShapeFile& shapeFile, ShapeType nShapeType, CFileSystem& files);
