// Our PNG decoder, over libpng: grey, palette, RGB, with or without alpha,
// of 1 to 16 bits, interlaced or not, comes out as 8-bit RGB, the top row
// first.
#pragma once

#include <string>

#include "core/io/StdioFileSystem.h"
#include "core/raster/RgbImage.h"
#include "core/raster/ScanFile.h"

// Decodes the PNG file at path into *pImage. 16-bit samples become
// round(v * 255 / 65535); grey of fewer than 8 bits is scaled to 0..255;
// alpha (and a transparent colour) is laid over white, as a transparent part
// of a map is paper; the gamma is left alone. On any failure *pImage is left
// as it was and the status says why, with the file's name and libpng's words.
ScanReadStatus ReadPngScan(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options,
                           CFileSystem& files = StdioFileSystem());
