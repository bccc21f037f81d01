// Our JPEG 2000 decoder for scans, over OpenJPEG: JP2 files and bare
// codestreams (.j2k, .j2c), told apart by their first bytes.
#pragma once

#include <string>
#include <vector>

#include "core/io/FileSystem.h"
#include "core/raster/RgbImage.h"
#include "core/raster/ScanFile.h"

// What the main header tells before any pixel is decoded: the full size,
// and how many times the file can be decoded at half the previous size.
struct CJp2Levels
{
    CScanHeader full;
    int nReductions = 0;
    // The sizes at 0 to nReductions halvings, rounded as OpenJPEG does.
    std::vector<CScanLevel> levels;
};

// Reads the main header only.
ScanReadStatus ReadJp2Levels(const std::string& path, CJp2Levels* pLevels, CFileSystem& files);

// Decodes the scan at 1/2^nReduce of its full size (0: full size) into
// *pImage as 8-bit RGB, the top row first. Grey comes out as RGB, a fourth
// (or with grey a second) component is alpha laid over white, other
// precisions are scaled to 8 bits. options.acceptHeader sees the size that
// will be decoded; a caller that picks nReduce to fit the memory asks
// ReadJp2Levels for the full size first. On any failure *pImage is left as
// it was and the status says why. A file of one tile is decoded in bands of
// about nBandPixels pixels (0: a few million) when it is larger.
ScanReadStatus ReadJp2Scan(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options,
                           CFileSystem& files, int nReduce = 0, long long nBandPixels = 0);
