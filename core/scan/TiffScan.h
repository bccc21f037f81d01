// Our TIFF decoder, over libtiff: the first image of a classic or BigTIFF
// file, in strips or tiles, bi-level (CCITT G3/G4, PackBits), grey, palette
// or RGB (8 or 16 bits) with or without alpha, uncompressed, LZW, DEFLATE or
// JPEG, comes out as 8-bit RGB, the top row first.
#pragma once

#include <string>

#include "core/io/StdioFileSystem.h"
#include "core/raster/RgbImage.h"
#include "core/raster/ScanFile.h"

// Decodes the first image of the TIFF file at path into *pImage. 16-bit
// samples become round(v * 255 / 65535); samples of fewer than 8 bits are
// scaled to 0..255; alpha is laid over white, as a transparent part of a map
// is paper. On any failure *pImage is left as it was and the status says
// why, with the file's name and libtiff's words.
ScanReadStatus ReadTiffScan(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options,
                            CFileSystem& files = StdioFileSystem());
