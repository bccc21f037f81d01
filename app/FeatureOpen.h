// File > Open Features... (Ctrl+Shift+O) and a .shp dropped on the window:
// a Shapefile's or a GeoPackage layer's features over the open scan,
// placed through the fit.
#pragma once

#include <string>

#include "app/ImageDoc.h"

// Whether a dropped or named file is a Shapefile (by its extension).
bool IsShapefileName(const std::string& strPath);
// Whether it is a Shapefile or a GeoPackage, whose features open over the scan.
bool IsFeatureFileName(const std::string& strPath);
// Opens the features of the .shp or .gpkg at strPath ("": asks for it;
// a GeoPackage of several layers asks which). Without a
// fit, or when the file cannot be read, the user is told and the features
// on show stay as they are; a .prj naming another system asks first; the
// question about unsaved features comes last, before anything changes.
void OpenFeaturesOf(CImageDoc& doc, std::string strPath);
