// The Save As flow of the shapefile: the file dialog, the writing under the
// wait cursor and the message that reports the outcome.
#pragma once

#include <string>

#include "core/shape/ShapeFile.h"

enum SaveAsOutcome
{
    SAVE_AS_SAVED,
    SAVE_AS_FAILED,      // reported to the user; the files that were there stay as they were
    SAVE_AS_CANCELLED,   // the user closed the file dialog: nothing written or shown
};

// Asks for the main file's path ("Shape Files|*.shp|GeoPackage|*.gpkg|Shape
// Files, names in UTF-8|*.shp||", the type chosen last proposed, default
// extension shp; an existing file is replaced without a question),
// writes the .shp, .shx and .dbf of nShapeType (or, for a .gpkg, a
// GeoPackage of one layer, written whole or not at all) and tells the user "File saved as <path>" or
// "An error occurred whilst saving the file <path>". The files are written
// to temporaries first and replace the old ones only when all were written:
// a failed save leaves the files that were there as they were. A path that names
// pszKeepPath (the opened image) is refused as a failed save: the image is
// never written over. sideFiles adds the .cpg and .prj beside them; either
// failing fails the save like the other files.
// pstrSavedPath receives the path written.
SaveAsOutcome PromptAndSaveShapefile(CShapeFile& shapeFile, ShapeType nShapeType, const char* pszKeepPath = nullptr,
                                     const CShapeSideFiles& sideFiles = CShapeSideFiles(),
                                     std::string* pstrSavedPath = nullptr);
// Writes the shapefile (or the GeoPackage) at strPath without asking (File > Save). Failure is
// told as Save As tells it; success only in the status line.
bool SaveShapefileAt(CShapeFile& shapeFile, ShapeType nShapeType, const std::string& strPath, const char* pszKeepPath,
                     const CShapeSideFiles& sideFiles);

// Whether the two paths name one file (by their full paths, in any letter
// case); false when either is empty.
bool IsSameFile(const std::string& a, const char* pszB);

// Whether the user chose UTF-8 for the names of new Shapefiles in Save As;
// remembered in the profile.
bool Utf8NamesChosen();
void ChooseUtf8Names(bool bUtf8);
