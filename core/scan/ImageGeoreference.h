// The georeference an image brings along, read when it is opened: the
// GeoTIFF keys of a TIFF, else a world file beside the image.
#pragma once

#include <string>

#include "core/georef/FileGeoreference.h"
#include "core/io/FileSystem.h"

// The GeoTIFF keys of the TIFF file at imagePath (its first image); false
// for another kind of file or a TIFF without usable keys.
bool ReadGeoTiffKeys(const std::string& imagePath, CFileSystem& files, CFileGeoreference* pResult);
// The first world file of WorldFileNames that can be read and parsed.
bool ReadWorldFile(const std::string& imagePath, CFileSystem& files, CFileGeoreference* pResult);
// The keys, which win, or else a world file. False, with *pResult none,
// when the image has neither.
bool ReadFileGeoreference(const std::string& imagePath, CFileSystem& files, CFileGeoreference* pResult);
