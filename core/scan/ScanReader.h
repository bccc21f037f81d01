// Reads any scan the program opens, with the decoder its first bytes call
// for: a file's name may lie about its kind, its bytes cannot.
#pragma once

#include <cstddef>
#include <string>

#include "core/io/FileSystem.h"
#include "core/raster/RgbImage.h"
#include "core/raster/ScanFile.h"

enum class ScanFormat
{
    Unknown,
    Jpeg,
    Tiff,   // classic TIFF and BigTIFF, either byte order
    Png,
    Jpeg2000,   // a JP2 file or a bare codestream
};

// The format the first bytes of a file announce; at least 12 are needed.
ScanFormat SniffScanFormat(const unsigned char* pBytes, size_t cb);

// Decodes the scan at path into *pImage as 8-bit RGB, top row first. A file
// of no known format is NotDecodable; on any failure *pImage stays as it was.
ScanReadStatus ReadScanFile(const std::string& path, CRgbImage* pImage, const CScanReadOptions& options,
                            CFileSystem& files);

// The full image's header alone (size, the file's own bands), without
// decoding the pixels.
ScanReadStatus ReadScanHeader(const std::string& path, CScanHeader* pHeader, CFileSystem& files);
